#pragma once

#include <chrono>
#include <functional>

namespace veilora::imaging {

// Progress of a long image operation. Every callback is optional; an unset one costs a
// test of an empty std::function, and the clock is read only when someone wants Complete.
struct ProgressEvents {
    std::function<void(long max)> initProgress;
    std::function<void(long position)> progress;
    std::function<void(long elapsedMs)> complete;
};

// One operation's run through the events: InitProgress at the start, Progress as it goes,
// Complete with the elapsed milliseconds at the end.
class ProgressRun {
  public:
    ProgressRun(const ProgressEvents& events, long max) : events_(events) {
        if (events_.complete) start_ = std::chrono::steady_clock::now();
        if (events_.initProgress) events_.initProgress(max);
    }

    void progress(long position) const {
        if (events_.progress) events_.progress(position);
    }

    void complete() const {
        if (!events_.complete) return;
        auto elapsed = std::chrono::steady_clock::now() - start_;
        events_.complete(static_cast<long>(
            std::chrono::duration_cast<std::chrono::milliseconds>(elapsed).count()));
    }

  private:
    const ProgressEvents& events_;
    std::chrono::steady_clock::time_point start_{};
};

}  // namespace veilora::imaging
