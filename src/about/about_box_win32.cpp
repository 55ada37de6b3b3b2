#include "about/about_box_win32.h"

#include <algorithm>
#include <string>

#include "about/about.h"
#include "about/launch_win32.h"
#include "res/resource.h"
#include "version.h"
#include "win32/dialog.h"
#include "win32/handles.h"
#include "win32/message_box.h"
#include "win32/strings.h"
#include "win32/foreground.h"

namespace veilora {

namespace {

constexpr COLORREF kLinkBlue = RGB(0, 0, 255);

class AboutBox final : public win32::Dialog {
  public:
    explicit AboutBox(win32::FileTrace* trace) : trace_(trace) {}
    void run(HWND owner) {
        open_ = this;
        runModal(IDD_ABOUT, owner);
        open_ = nullptr;
    }
    // One box at a time: asked for again, the open one comes to the front.
    static bool bringOpenBoxForward() {
        if (!open_ || !open_->hwnd()) return false;
        forceForeground(open_->hwnd());
        return true;
    }

  private:
    bool isLink(HWND control) const {
        return control && (control == item(IDC_ABOUT_WEB) || control == item(IDC_ABOUT_MAIL));
    }

    void onInit() {
        ::SetDlgItemTextW(hwnd(), IDC_ABOUT_VERSION, L"Version " VEILORA_VERSION_TEXT);
        ::SetDlgItemTextW(hwnd(), IDC_ABOUT_COPYRIGHT, L"Copyright \u00A9 2026 Fernwick");
        ::SetDlgItemTextW(hwnd(), IDC_ABOUT_WEB,
                          win32::widen(linkCaption(AboutLink::WebPage)).c_str());
        ::SetDlgItemTextW(hwnd(), IDC_ABOUT_MAIL,
                          win32::widen(linkCaption(AboutLink::SupportMail)).c_str());

        LOGFONTW font{};
        const auto dialogFont = reinterpret_cast<HFONT>(::SendMessageW(hwnd(), WM_GETFONT, 0, 0));
        if (dialogFont && ::GetObjectW(dialogFont, sizeof font, &font) == sizeof font) {
            font.lfUnderline = TRUE;
            linkFont_.reset(::CreateFontIndirectW(&font));
        }
        logo_.reset(static_cast<HBITMAP>(::LoadImageW(::GetModuleHandleW(nullptr),
                                                      MAKEINTRESOURCEW(IDB_ABOUT_LOGO),
                                                      IMAGE_BITMAP, 0, 0, LR_CREATEDIBSECTION)));
        forceForeground(hwnd());
        ::SetFocus(item(IDOK));
    }

    void openLink(AboutLink link) {
        const std::wstring target = win32::widen(linkTarget(link));
        if (trace_) trace_->eventText("launch", target);
        const int result = launch(hwnd(), target);
        if (trace_) trace_->event("launch-result", result);
        if (const auto notice = launchFailureNotice(link, result)) {
            win32::showNotice(hwnd(), *notice);
        }
    }

    void drawLink(const DRAWITEMSTRUCT& draw) {
        ::FillRect(draw.hDC, &draw.rcItem, ::GetSysColorBrush(COLOR_BTNFACE));
        wchar_t text[128] = {};
        const int length = ::GetWindowTextW(draw.hwndItem, text, 128);
        win32::SelectedObject font(
            draw.hDC, linkFont_ ? linkFont_.get() : ::GetStockObject(DEFAULT_GUI_FONT));
        ::SetBkMode(draw.hDC, TRANSPARENT);
        ::SetTextColor(draw.hDC, kLinkBlue);
        RECT textRect = draw.rcItem;
        const UINT format = DT_LEFT | DT_VCENTER | DT_SINGLELINE | DT_NOPREFIX;
        ::DrawTextW(draw.hDC, text, length, &textRect, format | DT_CALCRECT);
        // Centred vertically like the text itself.
        const int shift =
            ((draw.rcItem.bottom - draw.rcItem.top) - (textRect.bottom - textRect.top)) / 2;
        ::OffsetRect(&textRect, 0, shift);
        ::DrawTextW(draw.hDC, text, length, &textRect, format);
        if ((draw.itemState & ODS_FOCUS) && !(draw.itemState & ODS_NOFOCUSRECT)) {
            ::InflateRect(&textRect, 1, 0);
            ::DrawFocusRect(draw.hDC, &textRect);
        }
    }

    void drawLogo(const DRAWITEMSTRUCT& draw) {
        ::FillRect(draw.hDC, &draw.rcItem, ::GetSysColorBrush(COLOR_BTNFACE));
        BITMAP info{};
        if (!logo_ || !::GetObjectW(logo_.get(), sizeof info, &info) || info.bmHeight == 0) return;
        // The whole picture, as large as the place allows at this DPI, proportions kept.
        const int width = draw.rcItem.right - draw.rcItem.left;
        const int height = draw.rcItem.bottom - draw.rcItem.top;
        const double scale = std::min(static_cast<double>(width) / info.bmWidth,
                                      static_cast<double>(height) / info.bmHeight);
        const int drawWidth = static_cast<int>(info.bmWidth * scale);
        const int drawHeight = static_cast<int>(info.bmHeight * scale);
        win32::MemoryDc source(::CreateCompatibleDC(draw.hDC));
        if (!source) return;
        win32::SelectedObject picture(source.get(), logo_.get());
        ::SetStretchBltMode(draw.hDC, HALFTONE);
        ::SetBrushOrgEx(draw.hDC, 0, 0, nullptr);
        ::StretchBlt(draw.hDC, draw.rcItem.left + (width - drawWidth) / 2,
                     draw.rcItem.top + (height - drawHeight) / 2, drawWidth, drawHeight,
                     source.get(), 0, 0, info.bmWidth, info.bmHeight, SRCCOPY);
    }

    INT_PTR onMessage(UINT message, WPARAM wParam, LPARAM lParam) override {
        switch (message) {
            case WM_INITDIALOG:
                onInit();
                return FALSE;  // the focus is on OK
            case WM_DRAWITEM: {
                const auto& draw = *reinterpret_cast<const DRAWITEMSTRUCT*>(lParam);
                if (draw.CtlID == IDC_ABOUT_LOGO) drawLogo(draw);
                if (draw.CtlID == IDC_ABOUT_WEB || draw.CtlID == IDC_ABOUT_MAIL) drawLink(draw);
                return TRUE;
            }
            case WM_SETCURSOR:
                if (isLink(reinterpret_cast<HWND>(wParam))) {
                    ::SetCursor(::LoadCursorW(nullptr, IDC_HAND));
                    return answer(TRUE);
                }
                return FALSE;
            case WM_COMMAND:
                switch (LOWORD(wParam)) {
                    case IDC_ABOUT_WEB:
                        openLink(AboutLink::WebPage);
                        return TRUE;
                    case IDC_ABOUT_MAIL:
                        openLink(AboutLink::SupportMail);
                        return TRUE;
                    case IDOK:
                        // Enter on a focused link follows it, as links do.
                        if (HWND focus = ::GetFocus(); isLink(focus)) {
                            openLink(focus == item(IDC_ABOUT_WEB) ? AboutLink::WebPage
                                                                  : AboutLink::SupportMail);
                            return TRUE;
                        }
                        close(IDOK);
                        return TRUE;
                    case IDCANCEL:
                        close(IDCANCEL);
                        return TRUE;
                    default:
                        return FALSE;
                }
            default:
                return FALSE;
        }
    }

    static inline AboutBox* open_ = nullptr;
    win32::FileTrace* trace_;
    win32::GdiObject linkFont_;
    win32::BitmapHandle logo_;
};

}  // namespace

void showAboutBox(HWND owner, win32::FileTrace* trace) {
    if (AboutBox::bringOpenBoxForward()) return;
    AboutBox(trace).run(owner);
}

}  // namespace veilora
