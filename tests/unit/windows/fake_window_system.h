// An in-memory window system: windows in z-order (top first), threads that can hang, and a
// count of the messages that timed out. Programs it is asked to end are only recorded.
#pragma once

#include <algorithm>
#include <map>
#include <set>
#include <string>
#include <vector>

#include "ports/window_system.h"

namespace veilora::testing {

inline constexpr std::uint32_t kOwnProcess = 1;
inline constexpr IconId kLogoIcon = 32517, kApplicationIcon = 32512;

struct FakeWindow {
    WindowId id = 0;
    std::wstring title;
    bool visible = true, minimized = false;
    bool cloaked = false;
    WindowId parent = 0, owner = 0;
    std::uint32_t exStyle = 0;
    std::wstring className = L"AppWindow";
    std::uint32_t thread = 10, process = 100;
    IconId icon = 0, smallIcon = 0, classIcon = 0, classSmallIcon = 0;
    std::size_t claimedLength = 0;  // when set, the answer to WM_GETTEXTLENGTH
};

class FakeWindowSystem : public WindowSystem, public ProgramEnder {
public:
    FakeWindow& add(WindowId id, std::wstring title) {
        windows.push_back({.id = id, .title = std::move(title)});
        return windows.back();
    }
    FakeWindow& window(WindowId id) { return *find(id); }
    void destroy(WindowId id) {
        std::erase_if(windows, [id](const FakeWindow& w) { return w.id == id; });
    }
    void toTop(WindowId id) {
        auto it = std::find_if(windows.begin(), windows.end(),
                               [id](const FakeWindow& w) { return w.id == id; });
        std::rotate(windows.begin(), it, it + 1);
    }

    std::vector<FakeWindow> windows;
    std::set<std::uint32_t> hungThreads;
    std::set<WindowId> silentIcons;  // icon questions to these time out
    std::vector<std::uint32_t> timeoutsUsed;
    std::vector<std::size_t> capacities;  // buffer sizes of the text reads
    int messages = 0, timedOut = 0;
    bool ntFamily = true;
    std::set<std::uint32_t> wowProcesses;
    std::map<std::uint32_t, std::wstring> modules;
    WindowId foregroundWindow = 0;

    std::vector<WindowId> topLevelWindows() override {
        std::vector<WindowId> ids;
        for (const auto& w : windows) ids.push_back(w.id);
        return ids;
    }
    bool exists(WindowId id) override { return find(id); }
    bool isVisible(WindowId id) override { return get(id).visible; }
    bool isCloaked(WindowId id) override { return get(id).cloaked; }
    WindowId parent(WindowId id) override { return get(id).parent; }
    WindowId owner(WindowId id) override { return get(id).owner; }
    std::uint32_t extendedStyle(WindowId id) override { return get(id).exStyle; }
    std::wstring className(WindowId id) override { return get(id).className; }
    WindowThread windowThread(WindowId id) override {
        return {get(id).thread, get(id).process};
    }
    std::uint32_t currentProcessId() override { return kOwnProcess; }

    std::optional<std::size_t> textLength(WindowId id, std::uint32_t timeout) override {
        if (!answers(id, timeout)) return std::nullopt;
        return get(id).claimedLength ? get(id).claimedLength : get(id).title.size();
    }
    std::optional<std::wstring> text(WindowId id, std::size_t capacity,
                                     std::uint32_t timeout) override {
        capacities.push_back(capacity);
        if (!answers(id, timeout)) return std::nullopt;
        return get(id).title.substr(0, capacity - 1);
    }
    std::optional<IconId> icon(WindowId id, IconSize size, std::uint32_t timeout) override {
        if (!answers(id, timeout, silentIcons.count(id) != 0)) return std::nullopt;
        return size == IconSize::Big ? get(id).icon : get(id).smallIcon;
    }
    bool ping(WindowId id, std::uint32_t timeout) override { return answers(id, timeout); }
    IconId classIcon(WindowId id, IconSize size) override {
        return size == IconSize::Big ? get(id).classIcon : get(id).classSmallIcon;
    }
    IconId stockIcon(StockIcon which) override {
        return which == StockIcon::WindowsLogo ? kLogoIcon : kApplicationIcon;
    }

    bool isMinimized(WindowId id) override { return get(id).minimized; }
    void restore(WindowId id) override {
        if (FakeWindow* w = find(id)) w->minimized = false;
    }
    bool setForeground(WindowId id) override { return (foregroundWindow = id) != 0; }
    WindowId foreground() override { return foregroundWindow; }

    bool isNtFamily() override { return ntFamily; }
    bool hostsWowTasks(std::uint32_t process) override { return wowProcesses.count(process); }
    std::wstring firstModuleName(std::uint32_t process) override { return modules[process]; }

    // "program <process> <delay> <title> <icon>", "wow <window>" or "dos <process>" per call;
    // a DOS box never ends.
    std::vector<std::wstring> ended;
    bool endProgram(std::uint32_t pid, std::uint32_t delay, std::wstring_view title,
                    IconId icon) override {
        ended.push_back(L"program " + std::to_wstring(pid) + L" " + std::to_wstring(delay) +
                        L" " + std::wstring(title) + L" " + std::to_wstring(icon));
        return true;
    }
    bool endWowTask(WindowId window, std::uint32_t, std::wstring_view, IconId) override {
        ended.push_back(L"wow " + std::to_wstring(window));
        return true;
    }
    bool endDosProgram(std::uint32_t pid) override {
        ended.push_back(L"dos " + std::to_wstring(pid));
        return false;
    }

private:
    FakeWindow* find(WindowId id) {
        for (auto& w : windows) {
            if (w.id == id) return &w;
        }
        return nullptr;
    }
    // Questions about a window that has gone get empty answers, as the system gives them.
    FakeWindow get(WindowId id) {
        if (find(id)) return *find(id);
        FakeWindow gone;
        gone.visible = false;
        return gone;
    }
    bool answers(WindowId id, std::uint32_t timeout, bool silent = false) {
        ++messages;
        timeoutsUsed.push_back(timeout);
        if (!silent && find(id) && !hungThreads.count(find(id)->thread)) return true;
        ++timedOut;
        return false;
    }
};

}  // namespace veilora::testing
