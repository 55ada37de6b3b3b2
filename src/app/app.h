// The application's rules: the public state, the triggers, hiding and restoring, the hot keys
// and the Enabled/Disabled marks. Everything here runs on the user-interface thread.
//
// The application is an explicit state machine. Every event (a trigger, a hot key, a click
// on the cover, a menu item, a close request, the end of the session) is decided against the
// current state, because many of them can arrive inside the nested message loop of a message
// box or the password prompt.
#pragma once

#include <cstdint>

#include "app/hide_session.h"
#include "ports/ports.h"
#include "settings/options.h"
#include "settings/reg_settings.h"

namespace veilora {

// Hot key ids registered on the main window.
enum HotKeyId : int { kHotKeyCapture = 1, kHotKeyToggleEnabled = 2, kHotKeyHide = 3 };

enum class AppState {
    Idle,       // nothing covers the screen
    Asking,     // nothing covers the screen; the options' password prompt or the capture
                // question is open, and a hide ends it as refused
    Hidden,     // the cover is up
    Prompting,  // the cover's password prompt is open
    Ending,     // the program is ending: nothing runs any more
};

// The tray menu's items, as commands.
enum class TrayCommand : int { Enabled = 1, Disabled, Options, Help, About, Exit, RestoreSound };
// The cover menu's items, as commands.
enum class CoverCommand : int { MinimizeAll = 101, WindowManagement, Volume, Disable };

struct AppPorts {
    RegSettings& settings;
    Desktop& desktop;
    PointerScout& monitor;
    Volume& volume;
    Dialogs& dialogs;
    TraceSink* trace = nullptr;  // optional
    Capture* capture = nullptr;  // optional
};

class App final : public PointerEvents {
public:
    explicit App(AppPorts ports);

    // Start-up: loads every option and sets the Enabled/Disabled marks from "Start enabled".
    // `muteSoundAvailable`: the volume control reaches the speakers, so the mute option can be
    // changed.
    void loadOptions(bool muteSoundAvailable);
    // Start-up: gives back a speakers level that a run which died while hidden left lowered.
    void recoverLevel() { session_.recover(); }
    Options& options() { return options_; }
    const Options& options() const { return options_; }
    bool isFirstRun() const { return options_.firstRun.empty(); }

    // Tray menu "Enabled" (0) / "Disabled" (1).
    void clickEnableItem(int index);

    // The tray menu opens only while nothing covers the screen: behind the cover, Exit or the
    // Options would be a way round the cover's password. Nor while one of its questions is
    // open: a second one would be asked inside the first.
    bool trayMenuAvailable() const { return state_ == AppState::Idle; }
    // A hide without a cover lowered the sound and holds it: the tray menu offers it back.
    bool soundHeldLowered() const { return state_ == AppState::Idle && session_.lowered(); }
    // The tray menu's "Restore Sound": gives back the level such a hide holds.
    void giveSoundBack();
    // "Options": the password when one is required, then the question about an armed capture.
    // True when the Options dialog is to be shown.
    bool requestOptions();
    // OK in the Options dialog passed its checks: every option is saved, with the Run entry.
    // False when the store refused a write; the live options stay as the user chose them.
    bool saveOptions(std::wstring_view runCommandLine);
    // Cancel or the close box: the stored options again, edits dropped.
    void reloadOptions() { loadOptions(muteSoundAvailable_); }
    // The Set Password dialog stored a password.
    void passwordSet() { setpw_ = true; }

    // "Capture new screen image" after the colour-depth dialog: with a depth chosen the
    // capture is armed (F11 registered) and the caller hides the Options dialog; Cancel arms
    // nothing. True when armed.
    bool armCapture(bool depthChosen);
    bool enabledMark() const { return enabledMark_; }
    bool disabledMark() const { return !enabledMark_; }

    void onHotKey(int id);

    // Mouse monitor events.
    void onSystemMouseMove(int x, int y) override;
    void onSystemMouseWheel() override;
    void onSystemMouseMiddleDown() override;
    void onSystemMouseLeftDown() override;
    void onSystemMouseLeftUp() override;
    void onSystemMouseRightDown() override;
    void onSystemMouseRightUp() override;

    // The one hide routine.
    void hidem();

    // The cover's double-click: the one restore routine.
    void coverDoubleClick();
    // A button released over the cover. True when the cover menu should open (a right-button
    // release that was not the end of a both-buttons press).
    bool coverMouseUp(MouseButton button);
    // The cover menu closed: the cover goes back on top at once, not at the guard's next tick.
    void coverMenuClosed();
    // The cover menu's "Disable": restores with the password rules and leaves the triggers
    // off with "Disabled" checked, also when the prompt is refused.
    void coverDisable();
    // The cover menu's "Minimize all windows": the windows go, the cover stays.
    void coverMinimizeAll();
    // The volume dialog chose the level the restore gives back.
    void setSavedLevel(std::uint32_t level);


    // A close request, the end of the session or Exit: gives back everything a hide changed.
    // From here on every event is ignored.
    void end();

    AppState state() const { return state_; }
    bool covered() const { return session_.covered(); }

    // Public state, readable by the rest of the program and written only here.
    bool enabld() const { return state_ == AppState::Idle && enabledMark_; }
    bool ldown() const { return ldown_; }
    bool rdown() const { return rdown_; }
    bool bhid() const { return bhid_; }
    std::int32_t lvl() const { return lvl_; }
    bool setpw() const { return setpw_; }
    bool capturing() const { return capturing_; }

private:
    // Asks for the stored password until it is given or refused. True when accepted; with no
    // password stored an empty answer (or Cancel) is accepted. A prompt that something else
    // ended (a hide, the end of the program) counts as refused.
    bool askForPassword();
    void bothButtonsClicked();
    void captureKeyPressed();
    void restore(HideSession::LevelBack levelBack, bool passwordGiven);
    bool triggersArmed() const;
    void trace(std::string_view name);
    void trace(std::string_view name, long long value);

    AppPorts ports_;
    HideSession session_;
    Options options_;
    bool muteSoundAvailable_ = false;
    AppState state_ = AppState::Idle;
    bool enabledMark_ = false;
    bool ldown_ = false;
    bool rdown_ = false;
    bool bhid_ = false;
    std::int32_t lvl_ = 0;
    bool setpw_ = false;
    bool capturing_ = false;
};

}  // namespace veilora
