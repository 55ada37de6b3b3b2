// The application's rules: the public state, the triggers, hiding and restoring, the hot keys
// and the Enabled/Disabled marks. Everything here runs on the user-interface thread.
#pragma once

#include <cstdint>

#include "ports/ports.h"
#include "settings/options.h"
#include "settings/reg_settings.h"

namespace veilora {

// Hot key ids registered on the main window.
enum HotKeyId : int { kHotKeyCapture = 1, kHotKeyToggleEnabled = 2, kHotKeyHide = 3 };

// The level written while the sound is lowered: near silence on the 0 to 65535 scale.
inline constexpr std::uint32_t kMutedLevel = 50;

struct AppPorts {
    RegSettings& settings;
    Desktop& desktop;
    PointerScout& monitor;
    Volume& volume;
    Dialogs& dialogs;
    TraceSink* trace = nullptr;  // optional
};

class App final : public PointerEvents {
public:
    explicit App(AppPorts ports);

    // Start-up: loads every option and sets the Enabled/Disabled marks and `enabld` from
    // "Start enabled". `osMajorVersion` decides whether the mute option can be changed.
    void loadOptions(int osMajorVersion);
    Options& options() { return options_; }
    const Options& options() const { return options_; }
    bool isFirstRun() const { return options_.firstRun.empty(); }

    // Tray menu "Enabled" (0) / "Disabled" (1).
    void clickEnableItem(int index);
    bool enabledMark() const { return enabledMark_; }
    bool disabledMark() const { return disabledMark_; }

    void onHotKey(int id);

    // Mouse monitor events (coordinates in screen pixels).
    void onSystemMouseMove(int x, int y) override;
    void onSystemMouseWheel() override;
    void onSystemMouseMiddleDown() override;
    void onSystemMouseLeftDown() override;
    void onSystemMouseLeftUp() override;
    void onSystemMouseRightDown() override;
    void onSystemMouseRightUp() override;

    // The one hide routine.
    void hidem();

    // The cover window's double-click: the one restore routine.
    void coverDoubleClick();
    // A button released over the cover. Returns true when the cover menu should open
    // (a right-button release that was not the end of a both-buttons press).
    bool coverMouseUp(MouseButton button);
    // The cover menu's "Disable".
    void coverDisable();

    bool covered() const { return covered_; }

    // The program is ending.
    void onShutdown();

    // Asks for the stored password until it is given or refused. True when accepted;
    // with no password stored an empty answer (or Cancel) is accepted.
    bool askForPassword();

    // Public state, read and written by the other parts of the program.
    bool enabld = false;
    bool ldown = false;
    bool rdown = false;
    bool bhid = false;
    std::int32_t lvl = 0;
    bool setpw = false;
    bool capturing = false;

private:
    void bothButtonsClicked();
    void reverseEnableMarks();
    void trace(std::string_view name);
    void trace(std::string_view name, long long value);

    AppPorts ports_;
    Options options_;
    bool enabledMark_ = false;
    bool disabledMark_ = true;
    bool covered_ = false;
    bool keyboardBlocked_ = false;
};

}  // namespace veilora
