#include "capture/capture_dialog_win32.h"

#include "res/resource.h"

namespace veilora::capture {

namespace {

constexpr INT_PTR kCancelled = 0;  // never a depth

INT_PTR CALLBACK depthDialogProc(HWND dialog, UINT message, WPARAM wParam, LPARAM) {
    switch (message) {
        case WM_INITDIALOG:
            ::CheckRadioButton(dialog, IDC_CAPTURE_256, IDC_CAPTURE_TRUE_COLOUR, IDC_CAPTURE_256);
            return TRUE;  // the focus goes to the chosen option
        case WM_COMMAND:
            switch (LOWORD(wParam)) {
                case IDOK: {
                    const bool trueColour =
                        ::IsDlgButtonChecked(dialog, IDC_CAPTURE_TRUE_COLOUR) == BST_CHECKED;
                    ::EndDialog(dialog,
                                static_cast<INT_PTR>(trueColour ? CaptureDepth::TrueColour
                                                                : CaptureDepth::Colours256));
                    return TRUE;
                }
                case IDCANCEL:
                    ::EndDialog(dialog, kCancelled);
                    return TRUE;
                default:
                    break;
            }
            break;
        default:
            break;
    }
    return FALSE;
}

}  // namespace

std::optional<CaptureDepth> runCaptureDepthDialog(HWND owner) {
    const INT_PTR result =
        ::DialogBoxParamW(::GetModuleHandleW(nullptr), MAKEINTRESOURCEW(IDD_CAPTURE_DEPTH), owner,
                          &depthDialogProc, 0);
    switch (result) {
        case static_cast<INT_PTR>(CaptureDepth::Colours256):
            return CaptureDepth::Colours256;
        case static_cast<INT_PTR>(CaptureDepth::TrueColour):
            return CaptureDepth::TrueColour;
        default:
            return std::nullopt;  // cancelled, or the dialog could not be made (-1)
    }
}

}  // namespace veilora::capture
