#include "app/app.h"

#include "passwords/password_codec.h"

namespace veilora {

namespace {
constexpr int kZoneMargin = 5;  // pixels from the left and top border that count as the edge
}  // namespace

App::App(AppPorts ports) : ports_(ports) {}

void App::trace(std::string_view name) {
    if (ports_.trace) ports_.trace->event(name);
}

void App::trace(std::string_view name, long long value) {
    if (ports_.trace) ports_.trace->event(name, value);
}

void App::loadOptions(int osMajorVersion) {
    options_ = veilora::loadOptions(ports_.settings, osMajorVersion);
    const bool startEnabled = isChecked(options_.startEnabled);
    enabledMark_ = startEnabled;
    disabledMark_ = !startEnabled;
    clickEnableItem(startEnabled ? 0 : 1);
}

void App::reverseEnableMarks() {
    enabledMark_ = !enabledMark_;
    disabledMark_ = !disabledMark_;
}

void App::clickEnableItem(int index) {
    const bool clickedIsChecked = index == 0 ? enabledMark_ : disabledMark_;
    if (!clickedIsChecked) reverseEnableMarks();
    enabld = enabledMark_;
}

void App::onHotKey(int id) {
    trace("hotkey", id);
    switch (id) {
        case kHotKeyToggleEnabled:
            reverseEnableMarks();
            enabld = enabledMark_;
            break;
        case kHotKeyHide:
            // Not gated by `enabld`: the key hides even while the triggers are off.
            hidem();
            break;
        default:
            break;
    }
}

void App::onSystemMouseMove(int x, int y) {
    if (!enabld) return;
    const ScreenSize screen = ports_.desktop.primaryScreenSize();
    // The right and bottom zones end four pixels before the last column and row.
    const int right = screen.width - kZoneMargin;
    const int bottom = screen.height - kZoneMargin;
    const bool atLeft = x < kZoneMargin;
    const bool atRight = x > right;
    const bool atTop = y < kZoneMargin;
    const bool atBottom = y > bottom;
    const auto armed = [this](ZoneBox zone) { return isChecked(options_.zones[zone]); };

    // Every matching zone hides, so overlapping zones may hide more than once per move.
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
    if (isChecked(options_.mouseWheel) && enabld) hidem();
}

void App::onSystemMouseMiddleDown() {
    if (isChecked(options_.middleButton) && enabld) hidem();
}

void App::onSystemMouseLeftDown() {
    if (rdown) bothButtonsClicked();
    ldown = true;
}

void App::onSystemMouseLeftUp() { ldown = false; }

void App::onSystemMouseRightDown() {
    if (ldown) bothButtonsClicked();
    rdown = true;
}

void App::onSystemMouseRightUp() { rdown = false; }

void App::bothButtonsClicked() {
    ldown = false;
    rdown = false;
    if (isChecked(options_.bothButtons) && enabld) hidem();
    // Set even when nothing hid: the right-button release that follows must not open the
    // cover menu.
    bhid = true;
}

void App::hidem() {
    trace("hidem");
    ports_.monitor.stopMonitor();
    // While the cover is up the level may already be lowered: keep the one saved by the
    // first hide so the restore brings back the user's volume.
    if (!covered_) {
        lvl = static_cast<std::int32_t>(ports_.volume.getMixerControlValue());
        trace("level-read", lvl);
    }
    if (isChecked(options_.hideMethodMin)) ports_.desktop.minimizeAllWindows();
    if (isChecked(options_.hideMethodScr)) {
        if (!keyboardBlocked_) keyboardBlocked_ = ports_.desktop.blockTaskSwitching();
        enabld = false;
        ports_.desktop.showCover();
        covered_ = true;
    }
    if (isChecked(options_.muteSound)) {
        ports_.volume.setMixerControlValue(kMutedLevel);
        trace("level-write", kMutedLevel);
    }
    // Without a cover nothing will restore: the triggers listen again at once.
    if (!covered_) ports_.monitor.startMonitor();
}

bool App::askForPassword() {
    for (;;) {
        const std::string typed = ports_.dialogs.promptPassword().value_or(std::string());
        ports_.settings.setCompany(kCompanyName);
        ports_.settings.setAppName(kProductName);
        const std::string stored = decodePassword(ports_.settings.getSetting("General", "Offset"));
        if (typed == stored) return true;
        if (typed.empty()) return false;
        ports_.dialogs.showMessage("Incorrect password", "Error", MessageIcon::Exclamation);
    }
}

void App::coverDoubleClick() {
    // Re-arming follows the "Enabled" mark, so a cover raised by the hide key while the
    // triggers were disabled does not leave them armed behind a "Disabled" menu.
    if (isChecked(options_.pwHideScreenCap)) {
        ports_.desktop.setCoverTopmost(false);
        if (askForPassword()) {
            ports_.volume.setMixerControlValue(static_cast<std::uint32_t>(lvl));
            trace("level-write", lvl);
            enabld = enabledMark_;
            ports_.monitor.startMonitor();
            rdown = false;
            ldown = false;
            ports_.desktop.hideCover();
            covered_ = false;
            trace("restore");
        } else {
            ports_.desktop.setCoverTopmost(true);
        }
    } else {
        enabld = enabledMark_;
        ports_.desktop.hideCover();
        covered_ = false;
        trace("restore");
        if (isChecked(options_.muteSound)) {
            ports_.volume.setMixerControlValue(static_cast<std::uint32_t>(lvl));
            trace("level-write", lvl);
        }
        ports_.monitor.startMonitor();
    }
    // Every double-click gives the task-switching keys back, even when the cover stays.
    if (keyboardBlocked_) {
        ports_.desktop.unblockTaskSwitching();
        keyboardBlocked_ = false;
    }
}

bool App::coverMouseUp(MouseButton button) {
    bool openMenu = false;
    if (button == MouseButton::Right) {
        if (bhid) {
            bhid = false;
            return false;
        }
        openMenu = true;
    }
    ports_.desktop.setCoverTopmost(true);
    return openMenu;
}

void App::onShutdown() {
    // Ending while hidden: give back the keys, the level and the screen.
    if (covered_ && isChecked(options_.muteSound)) {
        ports_.volume.setMixerControlValue(static_cast<std::uint32_t>(lvl));
        trace("level-write", lvl);
    }
    if (keyboardBlocked_) {
        ports_.desktop.unblockTaskSwitching();
        keyboardBlocked_ = false;
    }
    if (covered_) {
        ports_.desktop.hideCover();
        covered_ = false;
    }
}

void App::coverDisable() {
    reverseEnableMarks();
    coverDoubleClick();
    enabld = false;
}

}  // namespace veilora
