#include "cover/cover_window_win32.h"

namespace veilora {

CoverWindow::CoverWindow(Events& events, win32::FileTrace* trace)
    : events_(events), trace_(trace), background_(::CreateSolidBrush(kBackground)) {}

bool CoverWindow::create() {
    win32::WindowClass cls{L"VeiloraCover", CS_DBLCLKS};
    // A tool window keeps the cover off the taskbar and out of Alt+Tab.
    return createWindow(cls, WS_EX_TOPMOST | WS_EX_TOOLWINDOW, WS_POPUP, L"Veilora Cover", 0, 0,
                        ::GetSystemMetrics(SM_CXSCREEN), ::GetSystemMetrics(SM_CYSCREEN));
}

bool CoverWindow::setPicture(const std::wstring& path) {
    clearPicture();
    HANDLE image = ::LoadImageW(nullptr, path.c_str(), IMAGE_BITMAP, 0, 0,
                                LR_LOADFROMFILE | LR_CREATEDIBSECTION);
    if (!image) return false;
    picture_.reset(static_cast<HBITMAP>(image));
    BITMAP info{};
    ::GetObjectW(picture_.get(), sizeof info, &info);
    pictureSize_ = {info.bmWidth, info.bmHeight < 0 ? -info.bmHeight : info.bmHeight};
    // Keep the picture selected in a memory context so painting is a single copy.
    pictureDc_.reset(::CreateCompatibleDC(nullptr));
    if (!pictureDc_) {
        picture_.reset();
        return false;
    }
    pictureDcDefault_ = ::SelectObject(pictureDc_.get(), picture_.get());
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

void CoverWindow::show() {
    if (!hwnd()) return;
    // Sized in real pixels each time, so a changed resolution is still covered whole.
    const int width = ::GetSystemMetrics(SM_CXSCREEN);
    const int height = ::GetSystemMetrics(SM_CYSCREEN);
    tracePaint_ = trace_ != nullptr;
    ::SetWindowPos(hwnd(), HWND_TOPMOST, 0, 0, width, height, SWP_SHOWWINDOW);
    if (trace_) trace_->event("cover-shown");
    ::SetForegroundWindow(hwnd());
    ::UpdateWindow(hwnd());  // paint now rather than when the queue gets round to it
}

void CoverWindow::hide() {
    if (hwnd()) ::ShowWindow(hwnd(), SW_HIDE);
}

void CoverWindow::setTopmost(bool topmost) {
    if (!hwnd()) return;
    // Going below lets the password prompt come up over the cover without being pushed down.
    const UINT flags = SWP_NOMOVE | SWP_NOSIZE | (topmost ? 0u : SWP_NOACTIVATE);
    ::SetWindowPos(hwnd(), topmost ? HWND_TOPMOST : HWND_NOTOPMOST, 0, 0, 0, 0, flags);
}

bool CoverWindow::visible() const { return hwnd() && ::IsWindowVisible(hwnd()); }

void CoverWindow::paint() {
    win32::PaintScope ps(hwnd());
    RECT client;
    ::GetClientRect(hwnd(), &client);
    const int pw = picture_ ? pictureSize_.cx : 0;
    const int ph = picture_ ? pictureSize_.cy : 0;
    if (pw > 0 && ph > 0) {
        ::BitBlt(ps.dc(), 0, 0, pw, ph, pictureDc_.get(), 0, 0, SRCCOPY);
    }
    // The background only where the picture does not reach.
    RECT right{pw, 0, client.right, client.bottom};
    RECT below{0, ph, pw, client.bottom};
    if (right.left < right.right) ::FillRect(ps.dc(), &right, background_.get());
    if (below.top < below.bottom && below.left < below.right) {
        ::FillRect(ps.dc(), &below, background_.get());
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
        case WM_CLOSE:
            return 0;  // Alt+F4 must not take the cover away
        default:
            return Window::handleMessage(message, wParam, lParam);
    }
}

}  // namespace veilora
