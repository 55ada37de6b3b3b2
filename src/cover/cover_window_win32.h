// The cover: a borderless, topmost window showing the saved picture of a harmless desktop on
// the primary screen and the background colour on every other screen. It is created once at
// start-up and kept with its picture and its drawing surface ready, so hiding costs next to
// nothing.
#pragma once

#include <windows.h>

#include <string>

#include "ports/ports.h"
#include "win32/handles.h"
#include "win32/window.h"

namespace veilora {

class CoverWindow final : public win32::Window {
public:
    class Events {
    public:
        virtual ~Events() = default;
        virtual void onCoverDoubleClick() = 0;
        virtual void onCoverMouseUp(MouseButton button) = 0;
        // A menu the cover owns is open and waiting (WM_ENTERIDLE).
        virtual void onCoverMenuIdle(WPARAM kind, LPARAM menuWindow) = 0;
    };

    CoverWindow(Events& events, TraceSink* trace);
    bool create(HWND owner);
    // At the end of the program: the window goes, and with it anything it owns (a prompt).
    void destroy() { destroyWindow(); }

    // Loads a bitmap file as the picture. False (and no picture) when it cannot be read.
    bool setPicture(const std::wstring& path);
    void clearPicture();
    bool hasPicture() const { return static_cast<bool>(picture_); }

    // True when the cover is on screen.
    bool show();
    void hide();
    void setTopmost(bool topmost);
    bool visible() const;

    // The colour shown where there is no picture.
    static constexpr COLORREF kBackground = RGB(58, 110, 165);

private:
    LRESULT handleMessage(UINT message, WPARAM wParam, LPARAM lParam) override;
    void paint();
    void conceal();
    void handOverActivation();
    void raiseOwnedWindows();
    // Back to the top of the topmost band, its dialogs above it, without the keyboard.
    void raise();

    Events& events_;
    TraceSink* trace_;
    win32::BrushHandle background_;
    win32::BitmapHandle picture_;
    win32::MemoryDc pictureDc_;
    HGDIOBJ pictureDcDefault_ = nullptr;
    SIZE pictureSize_{};
    RECT bounds_{};  // the window's, in screen pixels
    bool tracePaint_ = false;
    bool shown_ = false;
    bool wantTopmost_ = false;  // not while the cover steps aside for the password prompt
    static constexpr UINT_PTR kGuardTimer = 1;
    static constexpr UINT kGuardMs = 1000;
    HWND previousForeground_ = nullptr;
};

}  // namespace veilora
