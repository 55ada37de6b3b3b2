// The narrow interfaces through which the application core meets the outside world, and the
// events that flow through them. Nothing here depends on any other part of the program: the
// Win32 shell implements the ports with the real API, unit tests with fakes.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

#include "ports/wipe.h"

namespace veilora {

struct ScreenSize {
    int width = 0;   // pixels
    int height = 0;  // pixels
};

// What hiding does to the desktop: minimizing, the cover window, the task-switch block.
class Desktop {
public:
    virtual ~Desktop() = default;
    virtual ScreenSize primaryScreenSize() = 0;
    virtual void minimizeAllWindows() = 0;
    // Swallows Alt+Tab, Alt+Esc, Ctrl+Esc and the Windows keys from the moment it returns true
    // until undone.
    virtual bool blockTaskSwitching() = 0;
    virtual void unblockTaskSwitching() = 0;
    // True only when the cover is really on screen.
    virtual bool showCover() = 0;
    virtual void hideCover() = 0;
    virtual void setCoverTopmost(bool topmost) = 0;
};

enum class MouseButton { Left, Right, Middle };

// What the global mouse monitor reports, on the user-interface thread. Coordinates are
// screen pixels.
class PointerEvents {
public:
    virtual ~PointerEvents() = default;
    virtual void onSystemMouseMove(int x, int y) = 0;
    virtual void onSystemMouseWheel() = 0;
    virtual void onSystemMouseMiddleDown() = 0;
    virtual void onSystemMouseLeftDown() = 0;
    virtual void onSystemMouseLeftUp() = 0;
    virtual void onSystemMouseRightDown() = 0;
    virtual void onSystemMouseRightUp() = 0;
};

// The global mouse monitor as the core sees it. Stopping pauses the trigger events
// (moves, wheel, middle button); starting resumes them.
class PointerScout {
public:
    virtual ~PointerScout() = default;
    virtual void startMonitor() = 0;
    virtual void stopMonitor() = 0;
    // Whether the button was physically held when the event now being delivered happened.
    // Releases can be lost (a secure desktop, a stalled queue); this is the real state.
    virtual bool buttonHeld(MouseButton button) = 0;
};

// The speakers level of the first mixer, one channel, 0 to 65535.
class Volume {
public:
    virtual ~Volume() = default;
    // nullopt when no level could be read (no mixer, a failed call): that is not a level.
    virtual std::optional<std::uint32_t> getMixerControlValue() = 0;
    virtual bool setMixerControlValue(std::uint32_t level) = 0;
};

enum class MessageIcon { None, Information, Exclamation, Critical };

// What the masked prompt got: the typed text in the ANSI code page, or that it could not be
// held there (such a text matches no stored password). The text is wiped wherever it goes:
// copied and blanked rather than moved, since a moved-from short string keeps its characters.
struct PromptAnswer {
    std::string text;
    bool representable = true;

    explicit PromptAnswer(const std::string& typed = {}, bool fits = true)
        : text(typed), representable(fits) {}
    PromptAnswer(const PromptAnswer&) = default;
    PromptAnswer(PromptAnswer&& other) : text(other.text), representable(other.representable) {
        wipe(other.text);
    }
    // A shorter text would leave the end of the longer one in the buffer: blanked first.
    PromptAnswer& operator=(const PromptAnswer& other) {
        if (this != &other) {
            wipe(text);
            text = other.text;
            representable = other.representable;
        }
        return *this;
    }
    PromptAnswer& operator=(PromptAnswer&& other) {
        *this = static_cast<const PromptAnswer&>(other);
        if (this != &other) wipe(other.text);
        return *this;
    }
    ~PromptAnswer() { wipe(text); }
};

// Message boxes and the password prompt. Texts are in the ANSI code page.
class Dialogs {
public:
    virtual ~Dialogs() = default;
    virtual void showMessage(std::string_view text, std::string_view title, MessageIcon icon) = 0;
    // A message with OK and Cancel; true for OK.
    virtual bool confirm(std::string_view text, std::string_view title) = 0;
    // The masked "Enter Password" prompt; nullopt when the user cancels or the program ends
    // while it is open.
    virtual std::optional<PromptAnswer> promptPassword() = 0;
    // Ends every message, prompt, modal dialog and menu of the program that is open, as
    // cancelled: a hide leaves nothing of the program above the cover. The Options dialog
    // itself stays, edits and all.
    virtual void closeOpenBoxes() = 0;
};

// The screen capture: its hot key (F11), registered only while a capture is armed, and the
// steps of the capture that touch the screen and the file.
class Capture {
public:
    virtual ~Capture() = default;
    virtual bool armCaptureKey() = 0;
    virtual void disarmCaptureKey() = 0;
    // Grabs the screen and saves the picture file safely; the system's message when it could
    // not be saved (the old picture is then untouched).
    virtual std::optional<std::string> captureScreen() = 0;
    // The saved picture becomes the cover's.
    virtual void loadCapturedPicture() = 0;
    virtual void showOptionsAgain() = 0;
};

// Opt-in timing trace; the core reports its milestones here when a sink is set.
class TraceSink {
public:
    virtual ~TraceSink() = default;
    virtual void event(std::string_view name) = 0;
    virtual void event(std::string_view name, long long value) = 0;
};

}  // namespace veilora
