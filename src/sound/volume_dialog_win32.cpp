#include "sound/volume_dialog_win32.h"

#include <commctrl.h>

#include <string>

#include "res/resource.h"
#include "sound/volume_level.h"
#include "win32/foreground.h"

namespace veilora {

VolumeDialog::~VolumeDialog() { close(); }

bool VolumeDialog::show(HWND owner, std::uint32_t savedLevel, Chosen onChosen) {
    onChosen_ = std::move(onChosen);
    if (!isOpen()) {
        INITCOMMONCONTROLSEX controls{sizeof controls, ICC_BAR_CLASSES};
        ::InitCommonControlsEx(&controls);
        if (!create(IDD_VOLUME, owner)) return false;
    }
    showLevel(savedLevel);
    ::ShowWindow(hwnd(), SW_SHOW);
    forceForeground(hwnd());
    return true;
}

void VolumeDialog::showLevel(std::uint32_t level) {
    position_ = sliderPositionFromLevel(level);
    ::SendDlgItemMessageW(hwnd(), IDC_VOLUME_SLIDER, TBM_SETPOS, TRUE, position_);
    showPosition(position_);
}

void VolumeDialog::showPosition(int position) {
    ::SetDlgItemTextW(hwnd(), IDC_VOLUME_VALUE, std::to_wstring(position).c_str());
}

void VolumeDialog::onScroll(int code) {
    const int position = static_cast<int>(
        ::SendDlgItemMessageW(hwnd(), IDC_VOLUME_SLIDER, TBM_GETPOS, 0, 0));
    showPosition(position);
    // While the thumb is dragged only the number follows; the level is stored when the
    // change is complete, and only when the position really changed, so that opening and
    // closing the dialog never rounds the saved level.
    if (code == TB_THUMBTRACK || position == position_) return;
    position_ = position;
    if (onChosen_) onChosen_(levelFromSliderPosition(position));
}

INT_PTR VolumeDialog::handleMessage(UINT message, WPARAM wParam, LPARAM lParam) {
    switch (message) {
        case WM_INITDIALOG: {
            HWND slider = ::GetDlgItem(hwnd(), IDC_VOLUME_SLIDER);
            ::SendMessageW(slider, TBM_SETRANGE, TRUE, MAKELPARAM(0, kVolumeSliderMax));
            ::SendMessageW(slider, TBM_SETPAGESIZE, 0, 1);
            ::SendMessageW(slider, TBM_SETTICFREQ, 1, 0);
            return TRUE;
        }
        case WM_HSCROLL:
            if (reinterpret_cast<HWND>(lParam) == ::GetDlgItem(hwnd(), IDC_VOLUME_SLIDER)) {
                onScroll(LOWORD(wParam));
                return TRUE;
            }
            break;
        case WM_COMMAND:
            if (LOWORD(wParam) == IDOK || LOWORD(wParam) == IDCANCEL) {
                close();  // the level keeps the last value chosen
                return TRUE;
            }
            break;
        case WM_CLOSE:
            close();
            return TRUE;
        default:
            break;
    }
    return FALSE;
}

}  // namespace veilora
