#include "passwords/password_dialogs_win32.h"

#include <vector>

#include "passwords/password_dialogs.h"
#include "passwords/password_text_win32.h"
#include "res/resource.h"
#include "win32/dialog.h"
#include "win32/message_box.h"

namespace veilora {

namespace {

class PasswordDialog final : public win32::Dialog {
  public:
    PasswordDialog(bool change, RegSettings& settings) : change_(change), settings_(settings) {}

    bool run(HWND owner) {
        runModal(change_ ? IDD_CHANGE_PASSWORD : IDD_SET_PASSWORD, owner);
        return stored_;
    }

  private:
    std::vector<HWND> fields() const {
        if (change_) return {item(IDC_PW_OLD), item(IDC_PW_NEW), item(IDC_PW_REPEAT)};
        return {item(IDC_PW_NEW), item(IDC_PW_REPEAT)};
    }

    bool allFilled() const {
        for (HWND field : fields())
            if (!passwordFieldFilled(field)) return false;
        return true;
    }

    void updateOk() { ::EnableWindow(item(IDOK), allFilled()); }

    void clearFields() {
        for (HWND field : fields()) clearPasswordField(field);
    }

    void onOk() {
        if (!allFilled()) return;  // Enter while OK is disabled
        PasswordOutcome outcome;
        {
            const TypedPassword newPassword = readPasswordField(item(IDC_PW_NEW));
            const TypedPassword repeated = readPasswordField(item(IDC_PW_REPEAT));
            if (change_) {
                const TypedPassword old = readPasswordField(item(IDC_PW_OLD));
                outcome = changePasswordOk(old, newPassword, repeated, settings_);
            } else {
                outcome = setPasswordOk(newPassword, repeated, settings_);
            }
        }
        if (outcome.notice) win32::showNotice(hwnd(), *outcome.notice);
        if (outcome.stored) {
            stored_ = true;
            clearFields();
            close(IDOK);
            return;
        }
        const int focusId = outcome.focus == PasswordField::Old      ? IDC_PW_OLD
                            : outcome.focus == PasswordField::New    ? IDC_PW_NEW
                            : outcome.focus == PasswordField::Repeat ? IDC_PW_REPEAT
                                                                     : 0;
        if (focusId != 0) {
            focusControl(item(focusId));
            ::SendMessageW(item(focusId), EM_SETSEL, 0, -1);
        }
    }

    INT_PTR onMessage(UINT message, WPARAM wParam, LPARAM) override {
        switch (message) {
            case WM_INITDIALOG:
                for (HWND field : fields()) preparePasswordField(field);
                updateOk();
                return TRUE;  // the focus goes to the first field
            case WM_COMMAND:
                switch (LOWORD(wParam)) {
                    case IDC_PW_OLD:
                    case IDC_PW_NEW:
                    case IDC_PW_REPEAT:
                        if (HIWORD(wParam) == EN_CHANGE) updateOk();
                        return TRUE;
                    case IDOK:
                        onOk();
                        return TRUE;
                    case IDCANCEL:
                        clearFields();
                        close(IDCANCEL);
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

    bool change_;
    RegSettings& settings_;
    bool stored_ = false;
};

}  // namespace

bool runSetPasswordDialog(HWND owner, RegSettings& settings) {
    return PasswordDialog(false, settings).run(owner);
}

bool runChangePasswordDialog(HWND owner, RegSettings& settings) {
    return PasswordDialog(true, settings).run(owner);
}

}  // namespace veilora
