#include "ui_script.h"

#include <gtest/gtest.h>

namespace veilora::test {

namespace {
UiScript* current = nullptr;  // thread timers carry no pointer of their own

BOOL CALLBACK cancelWindow(HWND window, LPARAM) {
    if (::IsWindowVisible(window)) ::PostMessageW(window, WM_COMMAND, IDCANCEL, 0);
    return TRUE;
}

struct TitleSearch {
    const std::wstring* title;
    HWND found;
};

BOOL CALLBACK matchTitle(HWND window, LPARAM lParam) {
    auto* search = reinterpret_cast<TitleSearch*>(lParam);
    if (!::IsWindowVisible(window) || windowText(window) != *search->title) return TRUE;
    search->found = window;
    return FALSE;
}

// A message box: a dialog without an edit field, up while its owner waits disabled.
bool isMessageBox(HWND window) {
    wchar_t cls[16] = {};
    HWND owner = ::GetWindow(window, GW_OWNER);
    return ::IsWindowVisible(window) && ::IsWindowEnabled(window) && owner &&
           !::IsWindowEnabled(owner) && ::GetClassNameW(window, cls, 16) &&
           std::wstring(cls) == L"#32770" && !::FindWindowExW(window, nullptr, L"Edit", nullptr) &&
           ::GetDlgItem(window, 0xFFFF);
}

BOOL CALLBACK matchMessageBox(HWND window, LPARAM found) {
    if (!isMessageBox(window)) return TRUE;
    *reinterpret_cast<HWND*>(found) = window;
    return FALSE;
}
}  // namespace

UiScript::UiScript(std::vector<Step> steps, DWORD deadlineMs)
    : steps_(std::move(steps)), deadline_(::GetTickCount() + deadlineMs) {
    current = this;
    timer_ = ::SetTimer(nullptr, 0, 20, &UiScript::tick);
}

UiScript::~UiScript() {
    ::KillTimer(nullptr, timer_);
    if (current == this) current = nullptr;
    // A step that never found its window checked nothing: that is a failure, not a pass.
    if (timedOut_ || !finished()) {
        ADD_FAILURE() << "UI script " << (timedOut_ ? "timed out" : "ended early") << " at step "
                      << next_ + 1 << " of " << steps_.size();
    }
}

void CALLBACK UiScript::tick(HWND, UINT, UINT_PTR, DWORD) {
    if (current && !current->running_) current->run();
}

void UiScript::run() {
    running_ = true;  // a step may open a modal loop of its own, in which ticks go on
    if (static_cast<LONG>(::GetTickCount() - deadline_) > 0) {
        timedOut_ = true;
        ::EnumThreadWindows(::GetCurrentThreadId(), &cancelWindow, 0);
    } else if (!finished() && steps_[next_]()) {
        ++next_;
    }
    running_ = false;
}

HWND findWindow(const std::wstring& title) {
    TitleSearch search{&title, nullptr};
    ::EnumThreadWindows(::GetCurrentThreadId(), &matchTitle, reinterpret_cast<LPARAM>(&search));
    return search.found;
}

std::wstring windowText(HWND window) {
    wchar_t text[1024] = {};
    ::GetWindowTextW(window, text, 1024);
    return text;
}

UiScript::Step answerMessage(SeenMessage& seen, int button) {
    return [&seen, button] {
        HWND box = nullptr;
        ::EnumThreadWindows(::GetCurrentThreadId(), &matchMessageBox,
                            reinterpret_cast<LPARAM>(&box));
        if (!box) return false;
        seen = {windowText(box), windowText(::GetDlgItem(box, 0xFFFF))};
        ::PostMessageW(box, WM_COMMAND, button, 0);
        return true;
    };
}

bool pumpUntil(const std::function<bool()>& done, DWORD timeoutMs) {
    const DWORD end = ::GetTickCount() + timeoutMs;
    while (!done()) {
        if (static_cast<LONG>(::GetTickCount() - end) > 0) return false;
        MSG msg;
        while (::PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) {
            ::TranslateMessage(&msg);
            ::DispatchMessageW(&msg);
        }
        ::MsgWaitForMultipleObjects(0, nullptr, FALSE, 10, QS_ALLINPUT);
    }
    return true;
}

}  // namespace veilora::test
