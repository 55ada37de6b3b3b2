#include "monitor/hook_requests.h"

#include <gtest/gtest.h>

#include <future>
#include <memory>
#include <thread>
#include <vector>

namespace veilora {
namespace {

using std::chrono::milliseconds;

// The hook thread's work: notes each request it carries out, and starts none before the test
// lets it.
class LateHooks : public HookWork {
  public:
    bool carryOut(HookRequest request) override {
        gate.wait();
        done.push_back(request);
        return true;
    }
    std::shared_future<void> gate;
    std::vector<HookRequest> done;
};

TEST(HookRequests, ARequestAnsweredTooLateIsUndoneAndTheNextGetsItsOwnAnswer) {
    std::promise<void> open;
    LateHooks hooks;
    hooks.gate = open.get_future().share();
    auto keyBlock = std::make_shared<HookTicket>(HookRequest::InstallKeyboard);
    auto mouse = std::make_shared<HookTicket>(HookRequest::InstallMouse);
    // The hook thread answers in order, the first one after its caller gave up.
    std::thread hookThread([&hooks, keyBlock, mouse] {
        keyBlock->answer(hooks);
        mouse->answer(hooks);
    });
    EXPECT_EQ(keyBlock->await(milliseconds(20)), std::nullopt);
    open.set_value();
    EXPECT_EQ(mouse->await(milliseconds(10000)), true);
    hookThread.join();
    EXPECT_EQ(hooks.done, (std::vector{HookRequest::InstallKeyboard, HookRequest::RemoveKeyboard,
                                       HookRequest::InstallMouse}))
        << "the key block the caller was told had failed is gone again";

    // A late mouse hook stays: the mouse monitor counts as started whatever the answer.
    auto monitor = std::make_shared<HookTicket>(HookRequest::InstallMouse);
    std::promise<void> later;
    hooks.gate = later.get_future().share();
    std::thread again([&hooks, monitor] { monitor->answer(hooks); });
    EXPECT_EQ(monitor->await(milliseconds(1)), std::nullopt);
    later.set_value();
    again.join();
    EXPECT_EQ(hooks.done.size(), 4u);
}

}  // namespace
}  // namespace veilora
