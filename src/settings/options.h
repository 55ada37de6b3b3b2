#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

#include "settings/reg_settings.h"

namespace veilora {

enum class CheckState : std::uint8_t { Unchecked = 0, Checked = 1, Grayed = 2 };

// A grey box arms nothing: only a checked one counts.
inline bool isChecked(CheckState state) {
    return state == CheckState::Checked;
}

// Indexes into Options::zones, in the order of the dialog's check boxes.
enum ZoneBox : std::size_t {
    kZoneLeftEdge,
    kZoneRightEdge,
    kZoneTopEdge,
    kZoneBottomEdge,
    kZoneTopRightCorner,
    kZoneBottomLeftCorner,
    kZoneBottomRightCorner,
    kZoneTopLeftCorner,
    kZoneCount
};

// The live option store; the Options dialog edits it in place and the rest of
// the program reads it when it needs an option.
struct Options {
    // zones[i] is check box i: "Left edge", "Right edge", "Top edge", "Bottom edge",
    // "Top-right corner", "Bottom-left corner", "Bottom-right corner", "Top-left corner".
    std::array<CheckState, kZoneCount> zones{};
    CheckState mouseWheel{}, middleButton{}, bothButtons{};
    CheckState hideMethodMin{}, hideMethodScr{}, muteSound{};
    CheckState pwHideScreenCap{}, pwOptions{}, startWithWindows{}, startEnabled{};
    bool trayIconNormal = true;    // "Normal" selected, else "Invisible"
    bool muteSoundEnabled = true;  // the mute box can be changed (its control reaches the speakers)
    std::string firstRun;          // "First Run" as loaded; empty = first run
    // "Offset" decodes to a password. Only this is kept: every check reads the registry again,
    // so the plaintext need not stay in memory.
    bool passwordStored = false;

    std::string passwordButtonCaption() const;
};

// Reads every option in its fixed order; missing or garbage values become the
// defaults or unchecked. Sets the store's company and application names first.
// `muteSoundAvailable`: the volume control reaches the speakers, so the mute box can change.
Options loadOptions(RegSettings& settings, bool muteSoundAvailable);

// Writes every option, changed or not, then adds or removes the start-at-log-on entry.
// False at the first write the store refuses (nothing after it is tried).
bool saveOptions(const Options& options, RegSettings& settings, std::wstring_view runCommandLine);

// The quoted start-at-log-on command for exeName (without ".exe") in programFolder. Wide: a
// folder name outside the code page must reach the Run entry intact.
std::wstring runCommandLine(std::wstring_view programFolder, std::wstring_view exeName);

}  // namespace veilora
