#include "settings/options_dialog_win32.h"

#include <string>

#include "passwords/password_dialogs_win32.h"
#include "res/resource.h"
#include "win32/message_box.h"
#include "win32/strings.h"
#include "win32/foreground.h"

namespace veilora {

namespace {

// A check box and the option it shows: a member, or else an index into Options::zones.
struct Box {
    int id;
    CheckState Options::*member;
    std::size_t zone;
};

constexpr Box member(int id, CheckState Options::*m) {
    return {id, m, 0};
}
constexpr Box zone(int id, ZoneBox z) {
    return {id, nullptr, z};
}

constexpr Box kBoxes[] = {
    member(IDC_OPT_SHOW_CAPTURE, &Options::hideMethodScr),
    member(IDC_OPT_MINIMIZE, &Options::hideMethodMin),
    member(IDC_OPT_MUTE, &Options::muteSound),
    member(IDC_OPT_START_WINDOWS, &Options::startWithWindows),
    member(IDC_OPT_START_ENABLED, &Options::startEnabled),
    zone(IDC_OPT_ZONE_LEFT, kZoneLeftEdge),
    zone(IDC_OPT_ZONE_RIGHT, kZoneRightEdge),
    zone(IDC_OPT_ZONE_TOP, kZoneTopEdge),
    zone(IDC_OPT_ZONE_BOTTOM, kZoneBottomEdge),
    zone(IDC_OPT_ZONE_TOP_RIGHT, kZoneTopRightCorner),
    zone(IDC_OPT_ZONE_BOTTOM_LEFT, kZoneBottomLeftCorner),
    zone(IDC_OPT_ZONE_BOTTOM_RIGHT, kZoneBottomRightCorner),
    zone(IDC_OPT_ZONE_TOP_LEFT, kZoneTopLeftCorner),
    member(IDC_OPT_WHEEL, &Options::mouseWheel),
    member(IDC_OPT_MIDDLE, &Options::middleButton),
    member(IDC_OPT_BOTH, &Options::bothButtons),
    member(IDC_OPT_PW_COVER, &Options::pwHideScreenCap),
    member(IDC_OPT_PW_OPTIONS, &Options::pwOptions),
};

CheckState& stateOf(Options& options, const Box& box) {
    return box.member ? options.*box.member : options.zones[box.zone];
}

const Box* findBox(int id) {
    for (const Box& box : kBoxes)
        if (box.id == id) return &box;
    return nullptr;
}

// "Set Password" becomes "Set &Password": the same key for both captions.
std::wstring withMnemonic(const std::string& caption) {
    std::wstring text = win32::widen(caption);
    const size_t word = text.rfind(L"Password");
    if (word != std::wstring::npos) text.insert(word, 1, L'&');
    return text;
}

void setWindowIcons(HWND window) {
    HINSTANCE instance = ::GetModuleHandleW(nullptr);
    const auto load = [&](int sizeX, int sizeY) {
        return reinterpret_cast<LPARAM>(::LoadImageW(instance, MAKEINTRESOURCEW(IDI_VEILORA),
                                                     IMAGE_ICON, ::GetSystemMetrics(sizeX),
                                                     ::GetSystemMetrics(sizeY), LR_SHARED));
    };
    ::SendMessageW(window, WM_SETICON, ICON_SMALL, load(SM_CXSMICON, SM_CYSMICON));
    ::SendMessageW(window, WM_SETICON, ICON_BIG, load(SM_CXICON, SM_CYICON));
}

}  // namespace

OptionsDialog::OptionsDialog(OptionsDialogHost& host, OptionsDialogFeatures features)
    : host_(host), features_(features) {}

void OptionsDialog::show() {
    if (!hwnd() && !createModeless(IDD_OPTIONS, nullptr)) return;
    writeControls();
    if (!::IsWindowVisible(hwnd())) {
        ::ShowWindow(hwnd(), SW_SHOW);
        focusControl(::GetNextDlgTabItem(hwnd(), nullptr, FALSE));
    }
    forceForeground(hwnd());
}

bool OptionsDialog::showModal(HWND owner) {
    accepted_ = false;
    runModal(IDD_OPTIONS, owner);
    return accepted_;
}

void OptionsDialog::hide() {
    if (hwnd()) close(IDCANCEL);
}

bool OptionsDialog::visible() const {
    return hwnd() && ::IsWindowVisible(hwnd());
}

void OptionsDialog::refresh() {
    if (hwnd()) writeControls();
}

void OptionsDialog::onInit() {
    setWindowIcons(hwnd());
    ::ShowWindow(item(IDC_OPT_CAPTURE), features_.captureButton ? SW_SHOW : SW_HIDE);
    writeControls();
    if (isModal()) forceForeground(hwnd());
}

void OptionsDialog::writeControls() {
    Options& options = host_.liveOptions();
    // A grey value (only another program writes one) arms nothing and is saved as "0", so
    // it shows as unchecked.
    for (const Box& box : kBoxes) {
        ::SendMessageW(item(box.id), BM_SETCHECK,
                       isChecked(stateOf(options, box)) ? BST_CHECKED : BST_UNCHECKED, 0);
    }
    ::CheckRadioButton(hwnd(), IDC_OPT_TRAY_NORMAL, IDC_OPT_TRAY_INVISIBLE,
                       options.trayIconNormal ? IDC_OPT_TRAY_NORMAL : IDC_OPT_TRAY_INVISIBLE);
    ::EnableWindow(item(IDC_OPT_MUTE), options.muteSoundEnabled);
    showPasswordCaption();
}

void OptionsDialog::readControl(int id) {
    Options& options = host_.liveOptions();
    if (const Box* box = findBox(id)) {
        // A locked box keeps its loaded state whatever a message does to it.
        if (id == IDC_OPT_MUTE && !options.muteSoundEnabled) return;
        const bool checked = ::SendMessageW(item(id), BM_GETCHECK, 0, 0) == BST_CHECKED;
        stateOf(options, *box) = checked ? CheckState::Checked : CheckState::Unchecked;
    } else if (id == IDC_OPT_TRAY_NORMAL || id == IDC_OPT_TRAY_INVISIBLE) {
        options.trayIconNormal = ::IsDlgButtonChecked(hwnd(), IDC_OPT_TRAY_NORMAL) == BST_CHECKED;
    }
}

void OptionsDialog::readControls() {
    for (const Box& box : kBoxes) readControl(box.id);
    readControl(IDC_OPT_TRAY_NORMAL);
}

void OptionsDialog::showPasswordCaption() {
    ::SetDlgItemTextW(hwnd(), IDC_OPT_PASSWORD,
                      withMnemonic(host_.liveOptions().passwordButtonCaption()).c_str());
}

void OptionsDialog::onOk() {
    // Also what a program changed without a click.
    readControls();
    const auto refusal = checkOptionsForOk(host_.liveOptions(), host_.coverPictureExists());
    if (refusal) {
        win32::showNotice(hwnd(), refusal->notice);
        HWND target = nullptr;
        switch (refusal->focus) {
            case OptionsFocus::CaptureButton:
                // Until the capture button is offered, the box to deselect is the place.
                target = item(features_.captureButton ? IDC_OPT_CAPTURE : IDC_OPT_SHOW_CAPTURE);
                break;
            case OptionsFocus::MinimizeAllWindows:
                target = item(IDC_OPT_MINIMIZE);
                break;
            case OptionsFocus::Unchanged:
                break;
        }
        if (target) focusControl(target);
        return;
    }
    // Saved first: a store that refuses leaves the dialog open with the user's choices.
    if (const auto reason = host_.acceptOptions()) {
        const std::string text = "Your options could not be saved. " + *reason;
        win32::showNotice(hwnd(), Notice{text, "Options Not Saved", MessageIcon::Critical});
        return;
    }
    accepted_ = true;
    ::ShowWindow(hwnd(), SW_HIDE);
    close(IDOK);
}

void OptionsDialog::onCancel() {
    ::ShowWindow(hwnd(), SW_HIDE);
    host_.cancelOptions();
    close(IDCANCEL);
}

void OptionsDialog::onPasswordButton() {
    if (!host_.liveOptions().passwordStored) {
        if (runSetPasswordDialog(hwnd(), host_.passwordSettings())) {
            host_.liveOptions().passwordStored = true;
            host_.passwordSet();
            showPasswordCaption();
        }
    } else {
        runChangePasswordDialog(hwnd(), host_.passwordSettings());
    }
}

INT_PTR OptionsDialog::onMessage(UINT message, WPARAM wParam, LPARAM) {
    switch (message) {
        case WM_INITDIALOG:
            onInit();
            return TRUE;  // the focus goes to the first control
        case WM_COMMAND: {
            const int id = LOWORD(wParam);
            switch (id) {
                case IDOK:
                    onOk();
                    return TRUE;
                case IDCANCEL:
                    onCancel();
                    return TRUE;  // also Esc and the close box
                case IDC_OPT_HELP:
                    host_.showOptionsHelp();
                    return TRUE;
                case IDC_OPT_PASSWORD:
                    onPasswordButton();
                    return TRUE;
                case IDC_OPT_CAPTURE:
                    if (features_.captureButton) host_.startCapture();
                    return TRUE;
                default:
                    if (HIWORD(wParam) == BN_CLICKED) readControl(id);
                    return TRUE;
            }
        }
        case WM_HELP:  // F1
            host_.showOptionsHelp();
            return TRUE;
        default:
            return FALSE;
    }
}

}  // namespace veilora
