#include "windows/task_list.h"

#include <algorithm>
#include <cwctype>

namespace veilora {

namespace {
constexpr std::uint32_t kToolWindowStyle = 0x80;  // WS_EX_TOOLWINDOW
}  // namespace

// Threads that let a message time out during one refresh get no further messages in it: one
// hung program costs one time-out per refresh, not one per window or per question.
struct TaskList::RefreshPass {
    std::vector<std::uint32_t> unresponsive;

    bool skips(std::uint32_t thread) const {
        return std::find(unresponsive.begin(), unresponsive.end(), thread) != unresponsive.end();
    }
    void giveUpOn(std::uint32_t thread) {
        if (!skips(thread)) unresponsive.push_back(thread);
    }
};

TaskList::TaskList(WindowSystem& system, ProgramEnder* ender)
    : system_(system),
      ender_(ender),
      ntFamily_(system.isNtFamily()),
      ownProcess_(system.currentProcessId()),
      logoIcon_(system.stockIcon(StockIcon::WindowsLogo)),
      applicationIcon_(system.stockIcon(StockIcon::Application)) {}

void TaskList::setHungTimeout(std::int64_t milliseconds) {
    if (milliseconds > 0 && milliseconds <= UINT32_MAX) {
        hungTimeout_ = static_cast<std::uint32_t>(milliseconds);
    }
}

void TaskList::setMode(std::int64_t mode) {
    if (mode == kModeApplications || mode == kModeAllUnowned) mode_ = static_cast<int>(mode);
}

const TaskInfo* TaskList::at(int index) const {
    if (index < 1 || index > count()) return nullptr;
    return &tasks_[static_cast<std::size_t>(index - 1)];
}

std::wstring TaskList::caption(int index) const {
    const TaskInfo* task = at(index);
    return task ? task->caption : std::wstring();
}

WindowId TaskList::hWnd(int index) const {
    const TaskInfo* task = at(index);
    return task ? task->hWnd : 0;
}

IconId TaskList::hIcon(int index) const {
    const TaskInfo* task = at(index);
    if (!task) return 0;
    if (task->hIcon) return task->hIcon;
    return mode_ == kModeApplications ? logoIcon_ : applicationIcon_;
}

IconId TaskList::hIconSm(int index) const {
    const TaskInfo* task = at(index);
    if (!task) return 0;
    return task->hIconSm ? task->hIconSm : hIcon(index);
}

std::uint32_t TaskList::processId(int index) const {
    const TaskInfo* task = at(index);
    return task ? task->processId : 0;
}

int TaskList::status(int index) {
    const TaskInfo* task = at(index);
    if (!task) return 0;
    return system_.ping(task->hWnd, hungTimeout_) ? 0 : 1;
}

int TaskList::getIndex(WindowId window) const {
    for (std::size_t i = 0; i < tasks_.size(); ++i) {
        if (tasks_[i].hWnd == window) return static_cast<int>(i) + 1;
    }
    return 0;
}

int TaskList::resolve(int index, WindowId window) const {
    if (window) index = getIndex(window);
    return at(index) ? index : 0;
}

bool TaskList::isToolWindow(WindowId window) {
    return window && (system_.extendedStyle(window) & kToolWindowStyle);
}

bool TaskList::isTaskWindow(WindowId window) {
    if (!system_.isVisible(window) || system_.parent(window)) return false;
    // Nothing the user cannot see is listed.
    if (system_.isCloaked(window)) return false;
    // The program's own windows are never tasks: the cover stays visible (behind an empty
    // region) all the time, so visibility alone would let it through.
    if (system_.windowThread(window).processId == ownProcess_) return false;
    const WindowId owner = system_.owner(window);
    if (mode_ == kModeApplications) {
        return (!owner || isToolWindow(owner)) && !isToolWindow(window);
    }
    return !owner && (!isToolWindow(window) || system_.className(window) != L"Progman");
}

void TaskList::addTask(WindowId window, RefreshPass& pass) {
    const int known = getIndex(window);
    const WindowId owner = system_.owner(window);
    const WindowId source = owner ? owner : window;
    const std::uint32_t sourceThread = system_.windowThread(source).threadId;
    if (pass.skips(sourceThread)) return;

    const auto length = system_.textLength(source, hungTimeout_);
    if (!length) {
        pass.giveUpOn(sourceThread);
        return;
    }
    if (*length == 0) return;  // untitled windows are never tasks
    const std::size_t capacity = std::min(*length, kMaxTitleLength) + 1;
    auto title = system_.text(source, capacity, hungTimeout_);
    if (!title) {
        pass.giveUpOn(sourceThread);
        return;
    }
    if (title->size() >= capacity) title->resize(capacity - 1);
    if (title->empty()) return;  // cleared since its length was asked

    TaskInfo fresh;
    if (known) fresh = tasks_[static_cast<std::size_t>(known - 1)];
    fresh.hWnd = window;
    fresh.caption = std::move(*title);
    // An icon question that times out keeps what a known task had.
    for (IconSize size : {IconSize::Big, IconSize::Small}) {
        if (pass.skips(sourceThread)) break;
        IconId& slot = size == IconSize::Big ? fresh.hIcon : fresh.hIconSm;
        if (const auto icon = system_.icon(source, size, hungTimeout_)) {
            slot = *icon ? *icon : system_.classIcon(source, size);
        } else {
            pass.giveUpOn(sourceThread);
        }
    }
    fresh.processId = system_.windowThread(window).processId;

    if (known) {
        tasks_[static_cast<std::size_t>(known - 1)] = std::move(fresh);
    } else {
        tasks_.push_back(std::move(fresh));
    }
}

void TaskList::compactTasks() {
    std::erase_if(tasks_, [](const TaskInfo& task) { return task.hWnd == 0; });
}

void TaskList::refresh() {
    for (TaskInfo& task : tasks_) {
        if (!system_.exists(task.hWnd)) task.hWnd = 0;
    }
    compactTasks();
    RefreshPass pass;
    for (WindowId window : system_.topLevelWindows()) {
        if (isTaskWindow(window)) addTask(window, pass);
    }
}

bool TaskList::valid(int index, WindowId window) {
    index = resolve(index, window);
    if (!index) return false;
    TaskInfo& task = tasks_[static_cast<std::size_t>(index - 1)];
    if (isTaskWindow(task.hWnd)) return true;
    task.hWnd = 0;
    compactTasks();
    return false;
}

VdmKind TaskList::vdm(int index, WindowId window) {
    index = resolve(index, window);
    if (!index || !ntFamily_) return VdmKind::Ordinary;
    TaskInfo& task = tasks_[static_cast<std::size_t>(index - 1)];
    VdmKind kind = VdmKind::Ordinary;
    if (system_.hostsWowTasks(task.processId)) {
        kind = VdmKind::Wow16;
    } else {
        std::wstring module = system_.firstModuleName(task.processId);
        for (wchar_t& c : module) c = static_cast<wchar_t>(std::towupper(c));
        if (module == L"NTVDM.EXE") kind = VdmKind::Dos;
    }
    task.vdm = static_cast<int>(kind);
    return kind;
}

bool TaskList::activate(int index, WindowId window) {
    index = resolve(index, window);
    if (!index) return false;
    const TaskInfo& task = tasks_[static_cast<std::size_t>(index - 1)];
    if (task.caption.empty()) return false;
    const WindowId target = task.hWnd;
    if (system_.isMinimized(target)) system_.restore(target);
    system_.setForeground(target);
    return system_.foreground() == target;
}

bool TaskList::terminate(int index, WindowId window, std::uint32_t dialogDelayMs) {
    index = resolve(index, window);
    if (!index || !ender_) return false;
    const VdmKind kind = vdm(index);
    // Copies: ending a program runs a message loop, and the list may change meanwhile.
    const TaskInfo task = tasks_[static_cast<std::size_t>(index - 1)];
    const IconId icon = task.hIcon;  // the program's own, or none: no stand-in
    switch (kind) {
        case VdmKind::Wow16:
            return ender_->endWowTask(task.hWnd, dialogDelayMs, task.caption, icon);
        case VdmKind::Dos:
            return ender_->endDosProgram(task.processId);
        case VdmKind::Ordinary:
            break;
    }
    return ender_->endProgram(task.processId, dialogDelayMs, task.caption, icon);
}

}  // namespace veilora
