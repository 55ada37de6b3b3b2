#include "app/app.h"

#include "passwords/password_codec.h"
#include "passwords/password_text.h"

namespace veilora {

namespace {
constexpr int kZoneMargin = 5;  // pixels from the left and top border that count as the edge
}  // namespace

App::App(AppPorts ports)
    : ports_(ports), session_(ports.desktop, ports.volume, ports.settings, ports.trace) {}

void App::trace(std::string_view name) {
    if (ports_.trace) ports_.trace->event(name);
}

void App::trace(std::string_view name, long long value) {
    if (ports_.trace) ports_.trace->event(name, value);
}

void App::loadOptions(bool muteSoundAvailable) {
    muteSoundAvailable_ = muteSoundAvailable;
    options_ = veilora::loadOptions(ports_.settings, muteSoundAvailable);
    enabledMark_ = isChecked(options_.startEnabled);
}

bool App::saveOptions(std::wstring_view runCommandLine) {
    if (!veilora::saveOptions(options_, ports_.settings, runCommandLine)) return false;
    options_.firstRun = "False";
    return true;
}

bool App::requestOptions() {
    if (state_ != AppState::Idle) return false;
    if (isChecked(options_.pwOptions)) {
        state_ = AppState::Asking;
        const bool accepted = askForPassword();
        if (state_ != AppState::Asking) return false;  // a hide or the end came first
        state_ = AppState::Idle;
        if (!accepted) return false;
    }
    if (capturing_) {
        // OK leaves the capture armed and shows nothing; Cancel ends it and opens the options.
        state_ = AppState::Asking;
        const bool keepCapture = ports_.dialogs.confirm(
            "You currently have a screen capture operation in progress. Click \"OK\" to "
            "continue and capture a screen image or \"Cancel\" to abort the screen capture "
            "operation.",
            "Screen Capture in Progress");
        // An interrupted question is no answer: the capture stays as it was.
        if (state_ != AppState::Asking) return false;
        state_ = AppState::Idle;
        if (keepCapture) return false;
        capturing_ = false;
        if (ports_.capture) ports_.capture->disarmCaptureKey();
    }
    return true;
}

bool App::armCapture(bool depthChosen) {
    if (state_ != AppState::Idle || !ports_.capture || !depthChosen) return false;
    capturing_ = true;
    // A key another program holds is not reported: F11 then does nothing, and the tray's
    // Options item is the way out.
    ports_.capture->armCaptureKey();
    return true;
}

void App::captureKeyPressed() {
    // Only an armed capture, and never of the cover or of a prompt.
    if (!capturing_ || state_ != AppState::Idle || !ports_.capture) return;
    capturing_ = false;
    const std::optional<std::string> failure = ports_.capture->captureScreen();
    if (!failure) ports_.capture->loadCapturedPicture();
    ports_.capture->showOptionsAgain();
    ports_.capture->disarmCaptureKey();
    if (failure) {
        ports_.dialogs.showMessage(*failure, "Screen Capture", MessageIcon::Critical);
    } else {
        ports_.dialogs.showMessage("Screen captured succesfully.", "Screen Capture",
                                   MessageIcon::Information);
    }
}

void App::clickEnableItem(int index) {
    if (state_ == AppState::Ending) return;
    // Exactly one of the two items is checked: the clicked one becomes it.
    enabledMark_ = index == 0;
}

bool App::triggersArmed() const { return enabld(); }

void App::onHotKey(int id) {
    trace("hotkey", id);
    if (state_ == AppState::Ending) return;
    switch (id) {
        case kHotKeyToggleEnabled:
            // Only the marks move while hidden; the triggers follow them once the cover is gone.
            enabledMark_ = !enabledMark_;
            break;
        case kHotKeyHide:
            // Not gated by the marks: the key hides even while the triggers are off.
            hidem();
            break;
        case kHotKeyCapture:
            captureKeyPressed();
            break;
        default:
            break;
    }
}

void App::onSystemMouseMove(int x, int y) {
    // Looked at once: overlapping zones may each hide during one move.
    if (!triggersArmed()) return;
    const ScreenSize screen = ports_.desktop.primaryScreenSize();
    // The right and bottom zones end four pixels before the last column and row.
    const int right = screen.width - kZoneMargin;
    const int bottom = screen.height - kZoneMargin;
    const bool atLeft = x < kZoneMargin;
    const bool atRight = x > right;
    const bool atTop = y < kZoneMargin;
    const bool atBottom = y > bottom;
    const auto armed = [this](ZoneBox zone) { return isChecked(options_.zones[zone]); };

    if (armed(kZoneRightEdge) && atRight) hidem();
    if (armed(kZoneLeftEdge) && atLeft) hidem();
    if (armed(kZoneBottomEdge) && atBottom) hidem();
    if (armed(kZoneTopEdge) && atTop) hidem();
    if (armed(kZoneTopLeftCorner) && atLeft && atTop) hidem();
    if (armed(kZoneTopRightCorner) && atRight && atTop) hidem();
    if (armed(kZoneBottomRightCorner) && atRight && atBottom) hidem();
    if (armed(kZoneBottomLeftCorner) && atLeft && atBottom) hidem();
}

void App::onSystemMouseWheel() {
    if (isChecked(options_.mouseWheel) && triggersArmed()) hidem();
}

void App::onSystemMouseMiddleDown() {
    if (isChecked(options_.middleButton) && triggersArmed()) hidem();
}

void App::onSystemMouseLeftDown() {
    if (state_ == AppState::Ending) return;
    if (rdown_) {
        // A release can be lost; only a button really held makes this a both-buttons press.
        if (ports_.monitor.buttonHeld(MouseButton::Right)) {
            bothButtonsClicked();
        } else {
            rdown_ = false;
        }
    }
    ldown_ = true;
}

void App::onSystemMouseLeftUp() { ldown_ = false; }

void App::onSystemMouseRightDown() {
    if (state_ == AppState::Ending) return;
    if (ldown_) {
        if (ports_.monitor.buttonHeld(MouseButton::Left)) {
            bothButtonsClicked();
        } else {
            ldown_ = false;
        }
    }
    rdown_ = true;
}

void App::onSystemMouseRightUp() { rdown_ = false; }

void App::bothButtonsClicked() {
    ldown_ = false;
    rdown_ = false;
    if (isChecked(options_.bothButtons) && triggersArmed()) hidem();
    // Set even when nothing hid: the right-button release that follows must not open the
    // cover menu.
    bhid_ = true;
}

void App::hidem() {
    // While the cover's prompt is open the screen is already covered; the cover must never be
    // raised over its own prompt.
    if (state_ == AppState::Prompting || state_ == AppState::Ending) {
        trace("hide-ignored");
        return;
    }
    trace("hidem");
    ports_.monitor.stopMonitor();
    if (state_ != AppState::Hidden) {
        // Whatever of the program is open (a question, a message, a dialog's box, a menu)
        // must not show above the cover nor keep the keyboard: it ends as refused.
        if (state_ == AppState::Asking) state_ = AppState::Idle;
        ports_.dialogs.closeOpenBoxes();
    }
    if (isChecked(options_.hideMethodMin)) ports_.desktop.minimizeAllWindows();
    if (isChecked(options_.hideMethodScr)) {
        if (!session_.cover()) {
            // Nothing on screen to double-click: take back what this hide changed rather
            // than leave the keys blocked behind an invisible cover.
            trace("hide-failed");
            session_.undo(HideSession::LevelBack::IfLowered);
            ports_.monitor.startMonitor();
            return;
        }
        state_ = AppState::Hidden;
    }
    // Read once the screen is safe: opening a missing sound device can take a while, and
    // only the lowering depends on it.
    session_.saveLevel();
    lvl_ = static_cast<std::int32_t>(session_.savedLevel().value_or(0));
    if (isChecked(options_.muteSound)) session_.lowerLevel();
    // Without a cover nothing will restore: the triggers listen again at once.
    if (state_ == AppState::Idle) {
        session_.endIfUnchanged();
        ports_.monitor.startMonitor();
    }
}

bool App::askForPassword() {
    const AppState asking = state_;
    for (;;) {
        // The answer wipes itself when it goes.
        const std::optional<PromptAnswer> typed = ports_.dialogs.promptPassword();
        if (state_ != asking) return false;
        // Cancel is an empty answer; a text the code page cannot hold matches nothing.
        const bool empty = !typed || (typed->representable && typed->text.empty());
        ports_.settings.setCompany(kCompanyName);
        ports_.settings.setAppName(kProductName);
        std::string stored = decodePassword(ports_.settings.getSetting("General", "Offset"));
        const bool matches = typed ? typed->representable && typed->text == stored : stored.empty();
        wipe(stored);
        if (matches) return true;
        if (empty) return false;
        ports_.dialogs.showMessage("Incorrect password", "Error", MessageIcon::Exclamation);
        if (state_ != asking) return false;
    }
}

void App::restore(HideSession::LevelBack levelBack, bool passwordGiven) {
    session_.undo(levelBack);
    state_ = AppState::Idle;
    if (passwordGiven) {
        rdown_ = false;
        ldown_ = false;
    }
    trace("restore");
    ports_.monitor.startMonitor();
}

void App::coverDoubleClick() {
    if (state_ != AppState::Hidden) return;
    if (isChecked(options_.pwHideScreenCap)) {
        state_ = AppState::Prompting;
        ports_.desktop.setCoverTopmost(false);  // the prompt comes up above the cover
        const bool accepted = askForPassword();
        if (state_ == AppState::Ending) return;  // the program ended while the prompt was open
        if (accepted) {
            // After a password the saved level is written back whether or not muting is on.
            restore(HideSession::LevelBack::Always, true);
        } else {
            state_ = AppState::Hidden;
            ports_.desktop.setCoverTopmost(true);
        }
        return;
    }
    restore(isChecked(options_.muteSound) ? HideSession::LevelBack::Always
                                          : HideSession::LevelBack::IfLowered,
            false);
}

bool App::coverMouseUp(MouseButton button) {
    // While the prompt is open, re-topping the cover would push the prompt under it.
    if (state_ != AppState::Hidden) return false;
    if (button == MouseButton::Right) {
        if (bhid_) {
            bhid_ = false;
            return false;
        }
        return true;  // on top again once the menu closes
    }
    ports_.desktop.setCoverTopmost(true);
    return false;
}

void App::coverMenuClosed() {
    if (state_ == AppState::Hidden) ports_.desktop.setCoverTopmost(true);
}

void App::coverDisable() {
    if (state_ != AppState::Hidden) return;
    // "Disabled" is checked whatever was checked before: reversing the marks would show
    // "Enabled" after a hide by the hide key while disabled, with the triggers off.
    enabledMark_ = false;
    coverDoubleClick();
}

void App::coverMinimizeAll() {
    if (state_ != AppState::Hidden) return;
    ports_.desktop.minimizeAllWindows();
    // What the minimizing activates (the shell, another window) must not stay above.
    ports_.desktop.setCoverTopmost(true);
}

void App::setSavedLevel(std::uint32_t level) {
    if (state_ == AppState::Ending) return;
    session_.setSavedLevel(level);
    lvl_ = static_cast<std::int32_t>(level);
    trace("level-chosen", level);
}

void App::giveSoundBack() {
    if (!soundHeldLowered()) return;
    trace("sound-given-back");
    session_.undo(HideSession::LevelBack::IfLowered);
}

void App::end() {
    if (state_ == AppState::Ending) return;
    state_ = AppState::Ending;
    session_.undo(HideSession::LevelBack::IfLowered);
    trace("ending");
}

}  // namespace veilora
