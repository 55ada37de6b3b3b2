// What one hide changed (the saved speakers level, the task-switch block, the cover) and the
// one way back. Every path that ends a hide goes through undo(): the double-click, Disable,
// the end of the program, a step that failed half-way, and the start after a run that died
// while the level was lowered.
#pragma once

#include <cstdint>
#include <optional>

#include "ports/ports.h"
#include "settings/reg_settings.h"

namespace veilora {

// The level written while the sound is lowered: near silence on the 0 to 65535 scale.
inline constexpr std::uint32_t kMutedLevel = 50;

class HideSession {
public:
    HideSession(Desktop& desktop, Volume& volume, RegSettings& settings, TraceSink* trace);

    // The steps of a hide. Each leaves alone what this session already changed, so a second
    // hide while hidden never takes the lowered level for the user's own.
    void saveLevel();
    // Stores the level to give back in the registry first, so that it survives a crash.
    void lowerLevel();
    // Blocks the task-switch keys, then shows the cover. False (and the block undone) when the
    // cover could not be shown: nothing may stay changed that only the cover could undo.
    bool cover();

    enum class LevelBack { IfLowered, Always };
    // Takes the cover away, gives the keys back and, when asked or when this session lowered
    // it, the saved level. A level that could not be read is never written.
    void undo(LevelBack levelBack);

    // A hide that changed nothing lasting (minimizing only, without lowering) ends its
    // session at once, so the next hide reads the level afresh.
    void endIfUnchanged();

    // Start-up: gives back a level that an earlier run stored and never gave back.
    void recover();

    bool covered() const { return covered_; }
    // The speakers may hold a lowered level that this session will give back.
    bool lowered() const { return lowered_; }
    bool active() const { return covered_ || blocked_ || lowered_; }
    std::optional<std::uint32_t> savedLevel() const { return savedLevel_; }
    // The volume dialog chooses the level the restore gives back.
    void setSavedLevel(std::uint32_t level);

private:
    // The level an earlier hide stored and could not give back yet; a value this program did
    // not write is removed.
    std::optional<std::uint32_t> waitingLevel();
    void forgetStoredLevel();
    void trace(std::string_view name, long long value);

    Desktop& desktop_;
    Volume& volume_;
    RegSettings& settings_;
    TraceSink* trace_;
    std::optional<std::uint32_t> savedLevel_;
    bool levelRead_ = false;
    bool lowered_ = false;
    bool blocked_ = false;
    bool covered_ = false;
};

// Where the level to give back waits while it is lowered: "General", "Restore Level".
inline constexpr std::string_view kRestoreLevelSection = "General";
inline constexpr std::string_view kRestoreLevelValue = "Restore Level";

}  // namespace veilora
