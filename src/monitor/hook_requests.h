// Requests from the interface thread to the hook thread, each with an answer of its own.
//
// The interface waits for an answer only so long. A request it gave up on is still carried
// out by the hook thread later; a key block is then undone: its caller was told it failed,
// and a block nobody knows of would swallow keys until the program ends.
#pragma once

#include <chrono>
#include <condition_variable>
#include <mutex>
#include <optional>

namespace veilora {

enum class HookRequest {
    InstallMouse,
    RemoveMouse,
    InstallKeyboard,
    RemoveKeyboard,
    Reinstall,
    DropMouseForTest,
};

// What the hook thread does for a request; true when it worked.
class HookWork {
  public:
    virtual ~HookWork() = default;
    virtual bool carryOut(HookRequest request) = 0;
};

// One request and its answer, shared by the thread that asks and the thread that answers.
class HookTicket {
  public:
    explicit HookTicket(HookRequest request) : request_(request) {}
    HookTicket(const HookTicket&) = delete;
    HookTicket& operator=(const HookTicket&) = delete;

    HookRequest request() const { return request_; }

    // Asking thread: the answer, or nullopt when none came within `limit`; the request is
    // then given up for good.
    std::optional<bool> await(std::chrono::milliseconds limit);

    // Answering thread: carries the request out and answers it, or undoes a key block when
    // the asking thread has given up meanwhile.
    void answer(HookWork& work);

  private:
    enum class State { Waiting, Answered, GivenUp };

    const HookRequest request_;
    std::mutex lock_;
    std::condition_variable answered_;
    State state_ = State::Waiting;
    bool result_ = false;
};

}  // namespace veilora
