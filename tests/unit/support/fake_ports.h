// One fake for every port the application's rules meet; each call lands in one log, so the
// order of the steps shows.
#pragma once

#include <algorithm>
#include <deque>
#include <functional>
#include <optional>
#include <string>
#include <vector>

#include "ports/ports.h"

namespace veilora::test {

class FakePorts : public Desktop,
                  public PointerScout,
                  public Volume,
                  public Dialogs,
                  public Capture {
public:
    ScreenSize primaryScreenSize() override { return screen; }
    void minimizeAllWindows() override { log.push_back("minimize"); }
    bool blockTaskSwitching() override {
        log.push_back("block");
        blocked = true;
        return true;
    }
    void unblockTaskSwitching() override {
        log.push_back("unblock");
        blocked = false;
    }
    bool showCover() override {
        log.push_back("show-cover");
        return coverShows;
    }
    void hideCover() override { log.push_back("hide-cover"); }
    void setCoverTopmost(bool top) override { log.push_back(top ? "topmost" : "not-topmost"); }
    // Windows are numbers; minimizing takes every shown one.
    ShownWindows shownApplicationWindows() override { return shown; }
    bool isMinimized(WindowRef window) override {
        return std::count(minimized.begin(), minimized.end(), window) > 0;
    }
    void bringBack(const std::vector<WindowRef>& topFirst, WindowRef active) override {
        std::string step = "bring-back";
        for (WindowRef window : topFirst) step += " " + std::to_string(window);
        log.push_back(step + " active " + std::to_string(active));
    }
    void startMonitor() override { log.push_back("start-monitor"); }
    void stopMonitor() override { log.push_back("stop-monitor"); }
    bool buttonHeld(MouseButton button) override {
        return button == MouseButton::Left ? leftHeld : rightHeld;
    }
    std::optional<std::uint32_t> getMixerControlValue() override {
        if (!mixer) return std::nullopt;
        return level;
    }
    bool setMixerControlValue(std::uint32_t value) override {
        log.push_back("set-level " + std::to_string(value));
        if (onSetLevel) onSetLevel();
        if (!mixer || !mixerWrites) return false;
        level = value;
        return true;
    }
    // Logged under the icon's name: what the box shows besides its text.
    void showMessage(std::string_view text, std::string_view title, MessageIcon icon) override {
        const char* icons[] = {"message", "information", "exclamation", "critical"};
        log.push_back(icons[static_cast<int>(icon)] + (" " + std::string(title)) + ": " +
                      std::string(text));
        if (duringMessage) duringMessage();
    }
    bool confirm(std::string_view text, std::string_view title) override {
        log.push_back("confirm " + std::string(title) + ": " + std::string(text));
        if (duringMessage) duringMessage();
        return confirmAnswer;
    }
    std::optional<PromptAnswer> promptPassword() override {
        log.push_back("prompt");
        if (duringPrompt) duringPrompt();
        if (answers.empty()) return std::nullopt;
        auto answer = answers.front();
        answers.pop_front();
        return answer;
    }
    void closeOpenBoxes() override { ++boxesClosed; }
    bool armCaptureKey() override {
        log.push_back("arm");
        return true;
    }
    void disarmCaptureKey() override { log.push_back("disarm"); }
    std::optional<std::string> captureScreen() override {
        log.push_back("capture");
        return captureFailure;
    }
    void loadCapturedPicture() override { log.push_back("load-picture"); }
    void showOptionsAgain() override { log.push_back("options-again"); }

    // The steps logged since the last call, comma-separated; the log starts afresh.
    std::string took() {
        std::string steps;
        for (const std::string& step : log) steps += (steps.empty() ? "" : ", ") + step;
        log.clear();
        return steps;
    }
    int count(const std::string& entry) const {
        return static_cast<int>(std::count(log.begin(), log.end(), entry));
    }

    std::vector<std::string> log;
    ScreenSize screen{1280, 1024};  // not the most common size: zones use the real one
    bool mixer = true;
    bool mixerWrites = true;
    std::function<void()> onSetLevel;
    std::uint32_t level = 40000;
    bool coverShows = true;
    ShownWindows shown;
    std::vector<WindowRef> minimized;
    bool blocked = false;
    bool leftHeld = true;
    bool rightHeld = true;
    std::deque<std::optional<PromptAnswer>> answers;
    bool confirmAnswer = true;
    std::optional<std::string> captureFailure;
    std::function<void()> duringPrompt;  // events that arrive inside the prompt's loop
    std::function<void()> duringMessage;  // the same inside a message or question
    int boxesClosed = 0;
};

}  // namespace veilora::test
