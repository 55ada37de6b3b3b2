#include "settings/options.h"

#include <cmath>

#include "passwords/password_codec.h"
#include "passwords/password_text.h"

namespace veilora {

namespace {

constexpr std::string_view kOptions = "Options";
constexpr std::string_view kGeneral = "General";

// One check box: its value name, the text a missing value reads as, and where
// it lives in Options (a member, or else an index into zones).
struct Box {
    std::string_view key;
    std::string_view defaultText;
    CheckState Options::*member;
    std::size_t zone;
};

template <class O>
auto& stateOf(O& options, const Box& box) {
    return box.member != nullptr ? options.*box.member : options.zones[box.zone];
}

constexpr Box zoneBox(std::string_view key, std::string_view defaultText, std::size_t zone) {
    return {key, defaultText, nullptr, zone};
}
constexpr Box memberBox(std::string_view key, CheckState Options::*member) {
    return {key, "0", member, 0};
}

constexpr Box kScrEdgeLeft = zoneBox("ScrEdge Left", "1", kZoneLeftEdge);
constexpr Box kScrEdgeRight = zoneBox("ScrEdge Right", "0", kZoneRightEdge);
constexpr Box kScrEdgeTop = zoneBox("ScrEdge Top", "0", kZoneTopEdge);
constexpr Box kScrEdgeBottom = zoneBox("ScrEdge Bottom", "0", kZoneBottomEdge);
constexpr Box kCornerTopRight = zoneBox("Corner Top Right", "0", kZoneTopRightCorner);
constexpr Box kCornerBottomLeft = zoneBox("Corner Bottom Left", "0", kZoneBottomLeftCorner);
constexpr Box kCornerBottomRight = zoneBox("Corner Bottom Right", "0", kZoneBottomRightCorner);
constexpr Box kCornerTopLeft = zoneBox("Corner Top Left", "0", kZoneTopLeftCorner);
constexpr Box kMouseWheel = memberBox("Mouse Wheel", &Options::mouseWheel);
constexpr Box kMiddleButton = memberBox("Middle Button", &Options::middleButton);
constexpr Box kBothButtons = memberBox("Both Buttons", &Options::bothButtons);
constexpr Box kHideMethodMin = memberBox("Hide Method Min", &Options::hideMethodMin);
constexpr Box kHideMethodScr = memberBox("Hide Method Scr", &Options::hideMethodScr);
constexpr Box kMuteSound = memberBox("Mute Sound", &Options::muteSound);
constexpr Box kPwHideScreenCap = memberBox("PW Hide Screen Cap", &Options::pwHideScreenCap);
constexpr Box kPwOptions = memberBox("PW Options", &Options::pwOptions);
constexpr Box kStartWithWindows = memberBox("Start with Windows", &Options::startWithWindows);
constexpr Box kStartEnabled = memberBox("Start Enabled", &Options::startEnabled);

// Reading and writing each keep their own fixed order (a recording backend sees
// them), so both are listed rather than derived from one table.
constexpr const Box* kLoadZones[] = {&kScrEdgeLeft,       &kScrEdgeRight,   &kScrEdgeTop,
                                     &kScrEdgeBottom,     &kCornerTopRight, &kCornerBottomLeft,
                                     &kCornerBottomRight, &kCornerTopLeft};
constexpr const Box* kLoadOthers[] = {
    &kHideMethodMin, &kHideMethodScr, &kPwHideScreenCap, &kPwOptions,    &kStartWithWindows,
    &kStartEnabled,  &kMuteSound,     &kMouseWheel,      &kMiddleButton, &kBothButtons};
constexpr const Box* kSaveBeforeTray[] = {
    &kScrEdgeLeft,    &kScrEdgeRight,     &kScrEdgeTop,        &kScrEdgeBottom,   &kCornerTopLeft,
    &kCornerTopRight, &kCornerBottomLeft, &kCornerBottomRight, &kMouseWheel,      &kMiddleButton,
    &kBothButtons,    &kHideMethodMin,    &kHideMethodScr,     &kPwHideScreenCap, &kPwOptions};
constexpr const Box* kSaveAfterTray[] = {&kStartWithWindows, &kStartEnabled, &kMuteSound};

// The whole number a stored text starts with: blanks, an optional sign,
// digits, an optional fraction, rounded. Anything else ends the number, so
// "abc" and "" are 0. Huge digit runs only grow towards infinity.
double leadingWholeNumber(std::string_view text) {
    std::size_t i = 0;
    const auto isDigit = [&] { return i < text.size() && text[i] >= '0' && text[i] <= '9'; };
    while (i < text.size() && (text[i] == ' ' || text[i] == '\t')) ++i;
    bool negative = false;
    if (i < text.size() && (text[i] == '+' || text[i] == '-')) negative = text[i++] == '-';
    double value = 0.0;
    for (; isDigit(); ++i) value = value * 10.0 + (text[i] - '0');
    if (i < text.size() && text[i] == '.') {
        double scale = 0.1;
        for (++i; isDigit(); ++i, scale /= 10.0) value += (text[i] - '0') * scale;
    }
    return std::round(negative ? -value : value);
}

// Only another program writes values other than 0 and 1; those arm nothing.
CheckState checkStateFromText(std::string_view text) {
    const double value = leadingWholeNumber(text);
    if (value == 1.0) return CheckState::Checked;
    if (value == 2.0) return CheckState::Grayed;
    return CheckState::Unchecked;
}

void loadBoxes(Options& options, const RegSettings& settings, const auto& boxes) {
    for (const Box* box : boxes) {
        stateOf(options, *box) =
            checkStateFromText(settings.getSetting(kOptions, box->key, box->defaultText));
    }
}

bool saveBoxes(const Options& options, RegSettings& settings, const auto& boxes) {
    for (const Box* box : boxes) {
        if (!settings.saveSetting(kOptions, box->key, isChecked(stateOf(options, *box)) ? "1" : "0"))
            return false;
    }
    return true;
}

void useOwnKeys(RegSettings& settings) {
    settings.setCompany(kCompanyName);
    settings.setAppName(kProductName);
}

}  // namespace

std::string Options::passwordButtonCaption() const {
    return passwordStored ? "Change Password" : "Set Password";
}

Options loadOptions(RegSettings& settings, bool muteSoundAvailable) {
    useOwnKeys(settings);
    Options options;
    options.firstRun = settings.getSetting(kGeneral, "First Run");
    loadBoxes(options, settings, kLoadZones);
    // Where muting would not reach the speakers the box keeps its loaded state but is locked.
    options.muteSoundEnabled = muteSoundAvailable;
    loadBoxes(options, settings, kLoadOthers);
    options.trayIconNormal =
        leadingWholeNumber(settings.getSetting(kOptions, "Tray Icon", "1")) != 0.0;
    std::string stored = decodePassword(settings.getSetting(kGeneral, "Offset"));
    options.passwordStored = !stored.empty();
    wipe(stored);
    return options;
}

bool saveOptions(const Options& options, RegSettings& settings, std::wstring_view runCommandLine) {
    useOwnKeys(settings);
    if (!settings.saveSetting(kGeneral, "First Run", "False") ||
        !saveBoxes(options, settings, kSaveBeforeTray) ||
        !settings.saveSetting(kOptions, "Tray Icon", options.trayIconNormal ? "1" : "0") ||
        !saveBoxes(options, settings, kSaveAfterTray)) {
        return false;
    }
    if (isChecked(options.startWithWindows)) return settings.runNextBoot(kProductName, runCommandLine, 1);
    // An entry that is not there needs no removing: that is no failure.
    settings.runNextBoot(kProductName, runCommandLine, 0);
    return true;
}

std::wstring runCommandLine(std::wstring_view programFolder, std::wstring_view exeName) {
    // Quoted: unquoted, a path with blanks ("C:\Program Files\...") lets the shell
    // start whatever program sits at the first blank.
    std::wstring command = L"\"";
    command += programFolder;
    if (command.back() != L'\\') command += L'\\';
    command += exeName;
    command += L".exe\"";
    return command;
}

}  // namespace veilora
