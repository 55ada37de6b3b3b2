#include "app/hide_session.h"

#include <charconv>
#include <string>

namespace veilora {

HideSession::HideSession(Desktop& desktop, Volume& volume, RegSettings& settings,
                         TraceSink* trace)
    : desktop_(desktop), volume_(volume), settings_(settings), trace_(trace) {}

void HideSession::trace(std::string_view name, long long value) {
    if (trace_) trace_->event(name, value);
}

void HideSession::saveLevel() {
    // Once per session: later the level in the mixer may be ours, or the volume dialog may
    // have chosen the one to give back.
    if (levelRead_) return;
    levelRead_ = true;
    // A level still waiting to be given back is the user's own: the mixer may well hold the
    // lowered one, and reading it would lose the user's level for good.
    if (const auto waiting = waitingLevel()) {
        trace("level-waiting", *waiting);
        savedLevel_ = waiting;
        lowered_ = true;
        return;
    }
    savedLevel_ = volume_.getMixerControlValue();
    if (savedLevel_) {
        trace("level-read", *savedLevel_);
    } else if (trace_) {
        trace_->event("level-read-failed");
    }
}

void HideSession::lowerLevel() {
    // Without the user's level there is nothing to give back later: leave the speakers alone.
    if (!savedLevel_) return;
    if (!lowered_) {
        settings_.setCompany(kCompanyName);
        settings_.setAppName(kProductName);
        settings_.saveSetting(kRestoreLevelSection, kRestoreLevelValue,
                              std::to_string(*savedLevel_));
    }
    trace("level-write", kMutedLevel);
    if (volume_.setMixerControlValue(kMutedLevel)) {
        lowered_ = true;
    } else if (!lowered_) {
        forgetStoredLevel();  // nothing was lowered, nothing to give back
    }
}

bool HideSession::cover() {
    if (covered_) {
        desktop_.showCover();  // a second hide raises it again
        return true;
    }
    // The block comes first: from the moment the cover shows, the keys must not pass.
    // A block that cannot be installed does not stop the cover.
    if (!blocked_) blocked_ = desktop_.blockTaskSwitching();
    if (!desktop_.showCover()) {
        if (blocked_) desktop_.unblockTaskSwitching();
        blocked_ = false;
        return false;
    }
    covered_ = true;
    return true;
}

void HideSession::undo(LevelBack levelBack) {
    if (covered_) desktop_.hideCover();
    covered_ = false;
    // The block lasts exactly as long as the cover.
    if (blocked_) desktop_.unblockTaskSwitching();
    blocked_ = false;
    const bool giveBack = savedLevel_ && (lowered_ || levelBack == LevelBack::Always);
    if (giveBack) {
        trace("level-write", *savedLevel_);
        const bool written = volume_.setMixerControlValue(*savedLevel_);
        // A level that could not be written back stays stored for the next start.
        if (written && lowered_) forgetStoredLevel();
    }
    lowered_ = false;
    savedLevel_.reset();
    levelRead_ = false;
}

void HideSession::endIfUnchanged() {
    if (!active()) undo(LevelBack::IfLowered);
}

void HideSession::recover() {
    const auto level = waitingLevel();
    if (!level) return;
    trace("level-recovered", *level);
    savedLevel_ = level;
    lowered_ = true;
    undo(LevelBack::IfLowered);
}

std::optional<std::uint32_t> HideSession::waitingLevel() {
    settings_.setCompany(kCompanyName);
    settings_.setAppName(kProductName);
    const std::string stored = settings_.getSetting(kRestoreLevelSection, kRestoreLevelValue);
    if (stored.empty()) return std::nullopt;
    std::uint32_t level = 0;
    const auto [end, error] = std::from_chars(stored.data(), stored.data() + stored.size(), level);
    if (error != std::errc() || end != stored.data() + stored.size() || level > 65535) {
        forgetStoredLevel();  // not a level this program wrote: nothing to give back
        return std::nullopt;
    }
    return level;
}

void HideSession::setSavedLevel(std::uint32_t level) {
    savedLevel_ = level;
    if (lowered_) {
        settings_.saveSetting(kRestoreLevelSection, kRestoreLevelValue, std::to_string(level));
    }
}

void HideSession::forgetStoredLevel() {
    settings_.setCompany(kCompanyName);
    settings_.setAppName(kProductName);
    settings_.deleteSetting(kRestoreLevelSection, kRestoreLevelValue);
}

}  // namespace veilora
