// Drives modal dialogs and message boxes from inside their own message loops: a thread timer
// runs the steps in turn, each until it reports done. A script that overruns its deadline
// cancels every window of the thread, so a failing test ends instead of hanging; a script
// that did not run every step fails the test when it goes.
#pragma once

#include <windows.h>

#include <functional>
#include <string>
#include <vector>

namespace veilora::test {

class UiScript {
  public:
    using Step = std::function<bool()>;  // true when done

    explicit UiScript(std::vector<Step> steps, DWORD deadlineMs = 10000);
    UiScript(const UiScript&) = delete;
    UiScript& operator=(const UiScript&) = delete;
    ~UiScript();

    bool finished() const { return next_ == steps_.size(); }
    bool timedOut() const { return timedOut_; }

  private:
    static void CALLBACK tick(HWND, UINT, UINT_PTR, DWORD);
    void run();

    std::vector<Step> steps_;
    size_t next_ = 0;
    DWORD deadline_;
    bool timedOut_ = false;
    bool running_ = false;
    UINT_PTR timer_;
};

// A visible top-level window of this thread with this title, or null.
HWND findWindow(const std::wstring& title);
std::wstring windowText(HWND window);

// The message box that is up: its title and text, answered with `button` (IDOK, IDCANCEL).
struct SeenMessage {
    std::wstring title, text;
};
UiScript::Step answerMessage(SeenMessage& seen, int button = IDOK);

// Pumps messages until `done` holds or the time is up; false on time-out.
bool pumpUntil(const std::function<bool()>& done, DWORD timeoutMs = 5000);

}  // namespace veilora::test
