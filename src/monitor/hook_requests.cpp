#include "monitor/hook_requests.h"

namespace veilora {

namespace {

// Only the key block is undone: its caller never removes a block it was told had failed.
// The mouse monitor counts as started whatever the answer, so a late mouse hook is what its
// caller wanted, and so is a late removal.
std::optional<HookRequest> undoOf(HookRequest request) {
    if (request == HookRequest::InstallKeyboard) return HookRequest::RemoveKeyboard;
    return std::nullopt;
}

}  // namespace

std::optional<bool> HookTicket::await(std::chrono::milliseconds limit) {
    std::unique_lock<std::mutex> held(lock_);
    if (answered_.wait_for(held, limit, [this] { return state_ == State::Answered; })) {
        return result_;
    }
    state_ = State::GivenUp;
    return std::nullopt;
}

void HookTicket::answer(HookWork& work) {
    const bool result = work.carryOut(request_);
    {
        std::lock_guard<std::mutex> held(lock_);
        if (state_ == State::Waiting) {
            state_ = State::Answered;
            result_ = result;
            answered_.notify_all();
            return;
        }
    }
    if (const auto undo = undoOf(request_)) work.carryOut(*undo);
}

}  // namespace veilora
