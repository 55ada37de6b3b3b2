#include "cover/cover_window_win32.h"

#include <algorithm>

#include "win32/foreground.h"

namespace veilora {

namespace {
// Every screen, as one rectangle; the primary one starts at 0,0.
RECT virtualScreen() {
    const int left = ::GetSystemMetrics(SM_XVIRTUALSCREEN);
    const int top = ::GetSystemMetrics(SM_YVIRTUALSCREEN);
    return {left, top, left + ::GetSystemMetrics(SM_CXVIRTUALSCREEN),
            top + ::GetSystemMetrics(SM_CYVIRTUALSCREEN)};
}
}  // namespace

CoverWindow::CoverWindow(Events& events, TraceSink* trace)
    : events_(events), trace_(trace), background_(::CreateSolidBrush(kBackground)) {}

bool CoverWindow::create(HWND owner) {
    win32::WindowClass cls{L"VeiloraCover", CS_DBLCLKS};
    // An owned tool window stays off the taskbar and out of Alt+Tab.
    bounds_ = virtualScreen();
    if (!createWindow(cls, WS_EX_TOOLWINDOW, WS_POPUP, L"Veilora Cover", bounds_.left,
                      bounds_.top, bounds_.right - bounds_.left, bounds_.bottom - bounds_.top,
                      owner)) {
        return false;
    }
    // The window stays shown for the whole run, concealed by an empty region at the bottom
    // of the z-order: revealing it keeps the drawing surface the system already made, where
    // showing a hidden window makes a new one first and costs frames at the moment of hiding.
    conceal();
    ::ShowWindow(hwnd(), SW_SHOWNA);
    return true;
}

void CoverWindow::conceal() {
    // An empty region: nothing shows and no click lands on the cover.
    ::SetWindowRgn(hwnd(), ::CreateRectRgn(0, 0, 0, 0), TRUE);
    // Out of the topmost band first: some systems keep a topmost window at the top when it
    // is only sent to the bottom. Some also keep an owned popup just above its owner, so the
    // (hidden) owner goes to the bottom before.
    const UINT flags = SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE;
    if (HWND owner = ::GetWindow(hwnd(), GW_OWNER)) {
        ::SetWindowPos(owner, HWND_BOTTOM, 0, 0, 0, 0, flags);
    }
    ::SetWindowPos(hwnd(), HWND_NOTOPMOST, 0, 0, 0, 0, flags);
    ::SetWindowPos(hwnd(), HWND_BOTTOM, 0, 0, 0, 0, flags);
}

bool CoverWindow::setPicture(const std::wstring& path) {
    clearPicture();
    win32::BitmapHandle file(static_cast<HBITMAP>(::LoadImageW(
        nullptr, path.c_str(), IMAGE_BITMAP, 0, 0, LR_LOADFROMFILE | LR_CREATEDIBSECTION)));
    if (!file) return false;
    BITMAP info{};
    ::GetObjectW(file.get(), sizeof info, &info);
    const SIZE size{info.bmWidth, info.bmHeight < 0 ? -info.bmHeight : info.bmHeight};

    // Convert once to the screen's own format: copying a file-format bitmap to the screen
    // converts every pixel on every paint, which costs frames at the moment of hiding.
    win32::WindowDc screen(nullptr);
    win32::BitmapHandle ready(::CreateCompatibleBitmap(screen.get(), size.cx, size.cy));
    win32::MemoryDc readyDc(::CreateCompatibleDC(screen.get()));
    win32::MemoryDc fileDc(::CreateCompatibleDC(screen.get()));
    if (!ready || !readyDc || !fileDc) return false;
    pictureDcDefault_ = ::SelectObject(readyDc.get(), ready.get());
    {
        win32::SelectedObject source(fileDc.get(), file.get());
        ::BitBlt(readyDc.get(), 0, 0, size.cx, size.cy, fileDc.get(), 0, 0, SRCCOPY);
    }
    picture_ = std::move(ready);
    pictureDc_ = std::move(readyDc);
    pictureSize_ = size;
    if (hwnd()) ::InvalidateRect(hwnd(), nullptr, FALSE);
    return true;
}

void CoverWindow::clearPicture() {
    if (pictureDc_ && pictureDcDefault_) ::SelectObject(pictureDc_.get(), pictureDcDefault_);
    pictureDcDefault_ = nullptr;
    pictureDc_.reset();
    picture_.reset();
    pictureSize_ = {};
    if (hwnd()) ::InvalidateRect(hwnd(), nullptr, FALSE);
}

bool CoverWindow::show() {
    if (!hwnd()) return false;
    if (!shown_) previousForeground_ = ::GetForegroundWindow();
    // Sized in real pixels each time, so a changed resolution or a screen plugged in since
    // is still covered whole.
    const RECT bounds = virtualScreen();
    UINT flags = SWP_NOACTIVATE | SWP_SHOWWINDOW;
    if (::EqualRect(&bounds, &bounds_)) flags |= SWP_NOMOVE | SWP_NOSIZE;
    bounds_ = bounds;
    ::SetWindowRgn(hwnd(), nullptr, FALSE);
    if (!::SetWindowPos(hwnd(), HWND_TOPMOST, bounds.left, bounds.top, bounds.right - bounds.left,
                        bounds.bottom - bounds.top, flags) ||
        !::IsWindowVisible(hwnd())) {
        conceal();
        return false;
    }
    shown_ = true;
    wantTopmost_ = true;
    // Another program's window that comes up later can land above the cover (a topmost one
    // anywhere, any activated one on some systems): the cover takes its place back.
    ::SetTimer(hwnd(), kGuardTimer, kGuardMs, nullptr);
    tracePaint_ = trace_ != nullptr;
    if (trace_) trace_->event("cover-shown");
    ::InvalidateRect(hwnd(), nullptr, FALSE);
    ::UpdateWindow(hwnd());  // paint now rather than when the queue gets round to it
    // Take the keyboard from the program below once the picture is up, so nothing typed
    // while hidden reaches it.
    forceForeground(hwnd());
    return true;
}

void CoverWindow::hide() {
    if (!hwnd() || !shown_) return;
    shown_ = false;
    ::KillTimer(hwnd(), kGuardTimer);
    conceal();
    if (::GetForegroundWindow() == hwnd()) handOverActivation();
}

void CoverWindow::handOverActivation() {
    // What a hidden window would do by itself: give the keyboard back to the program that
    // had it, or to the taskbar when that one is gone or minimized.
    HWND previous = previousForeground_;
    previousForeground_ = nullptr;
    if (previous && previous != hwnd() && ::IsWindow(previous) && ::IsWindowVisible(previous) &&
        !::IsIconic(previous)) {
        ::SetForegroundWindow(previous);
        return;
    }
    if (HWND taskbar = ::FindWindowW(L"Shell_TrayWnd", nullptr)) {
        ::SetForegroundWindow(taskbar);
    } else {
        ::SetForegroundWindow(::GetDesktopWindow());
    }
}

void CoverWindow::setTopmost(bool topmost) {
    if (!hwnd() || !shown_) return;
    // Going below lets the password prompt come up over the cover without being pushed down.
    wantTopmost_ = topmost;
    const UINT flags = SWP_NOMOVE | SWP_NOSIZE | (topmost ? 0u : SWP_NOACTIVATE);
    ::SetWindowPos(hwnd(), topmost ? HWND_TOPMOST : HWND_NOTOPMOST, 0, 0, 0, 0, flags);
    if (topmost) raiseOwnedWindows();
}

void CoverWindow::raise() {
    ::SetWindowPos(hwnd(), HWND_TOPMOST, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE);
    raiseOwnedWindows();
}

void CoverWindow::raiseOwnedWindows() {
    // The dialogs the cover owns (its tools, the prompt, messages) belong above it. Not every
    // system moves owned windows along when their owner is raised, so they are raised too.
    struct Raise {
        static BOOL CALLBACK each(HWND window, LPARAM owner) {
            if (::GetWindow(window, GW_OWNER) == reinterpret_cast<HWND>(owner) &&
                ::IsWindowVisible(window)) {
                ::SetWindowPos(window, HWND_TOPMOST, 0, 0, 0, 0,
                               SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE);
            }
            return TRUE;
        }
    };
    ::EnumThreadWindows(::GetCurrentThreadId(), &Raise::each, reinterpret_cast<LPARAM>(hwnd()));
}

bool CoverWindow::visible() const { return shown_; }

void CoverWindow::paint() {
    win32::PaintScope ps(hwnd());
    RECT client;
    ::GetClientRect(hwnd(), &client);
    // The picture belongs to the primary screen, whose top left is the screen origin, and
    // never reaches onto another screen.
    const int ox = -bounds_.left;
    const int oy = -bounds_.top;
    const int pw = picture_ ? std::min<int>(pictureSize_.cx, ::GetSystemMetrics(SM_CXSCREEN)) : 0;
    const int ph = picture_ ? std::min<int>(pictureSize_.cy, ::GetSystemMetrics(SM_CYSCREEN)) : 0;
    if (pw > 0 && ph > 0) {
        ::BitBlt(ps.dc(), ox, oy, pw, ph, pictureDc_.get(), 0, 0, SRCCOPY);
    }
    // The background only where the picture does not reach.
    const RECT bands[] = {
        {client.left, client.top, client.right, oy},           // above
        {client.left, oy + ph, client.right, client.bottom},   // below
        {client.left, oy, ox, oy + ph},                        // left
        {ox + pw, oy, client.right, oy + ph},                  // right
    };
    for (const RECT& band : bands) {
        if (band.left < band.right && band.top < band.bottom) {
            ::FillRect(ps.dc(), &band, background_.get());
        }
    }
    if (tracePaint_) {
        ::GdiFlush();
        trace_->event("cover-painted");
        tracePaint_ = false;
    }
}

LRESULT CoverWindow::handleMessage(UINT message, WPARAM wParam, LPARAM lParam) {
    switch (message) {
        case WM_PAINT:
            paint();
            return 0;
        case WM_TIMER:
            if (wParam == kGuardTimer && shown_ && wantTopmost_) raise();
            return 0;
        case WM_ACTIVATE:
            // Whatever took the keyboard (the shell after minimizing everything, another
            // program's window) may have come up above: the cover goes back on top at once
            // rather than at the guard's next tick.
            if (LOWORD(wParam) == WA_INACTIVE && shown_ && wantTopmost_) {
                ::PostMessageW(hwnd(), win32::kMsgCoverRaise, 0, 0);
            }
            return Window::handleMessage(message, wParam, lParam);
        case win32::kMsgCoverRaise:
            if (shown_ && wantTopmost_) raise();
            return 0;
        case WM_ERASEBKGND:
            return 1;  // painting covers every pixel
        case WM_LBUTTONDBLCLK:
            events_.onCoverDoubleClick();
            return 0;
        case WM_LBUTTONUP:
            events_.onCoverMouseUp(MouseButton::Left);
            return 0;
        case WM_RBUTTONUP:
            events_.onCoverMouseUp(MouseButton::Right);
            return 0;
        case WM_MBUTTONUP:
            events_.onCoverMouseUp(MouseButton::Middle);
            return 0;
        case WM_ENTERIDLE:
            events_.onCoverMenuIdle(wParam, lParam);
            return 0;
        case WM_CLOSE:
            return 0;  // Alt+F4 must not take the cover away
        default:
            return Window::handleMessage(message, wParam, lParam);
    }
}

}  // namespace veilora
