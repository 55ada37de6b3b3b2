#include "windows/task_list_refresher_win32.h"

#include <condition_variable>
#include <mutex>
#include <thread>

#include "windows/task_list.h"
#include "windows/window_system_win32.h"

namespace veilora {

struct TaskListRefresher::Shared {
    std::mutex lock;
    std::condition_variable wake;
    bool stop = false;
    bool requested = false;
    std::optional<std::vector<TaskRow>> rows;
    HWND notify;
    UINT message;
    int mode;
    std::uint32_t hungTimeoutMs;

    void run() {
        WindowSystemWin32 system;
        TaskList tasks(system);
        tasks.setMode(mode);
        tasks.setHungTimeout(hungTimeoutMs);
        for (;;) {
            std::unique_lock<std::mutex> held(lock);
            wake.wait(held, [this] { return stop || requested; });
            if (stop) return;
            requested = false;
            held.unlock();
            std::vector<TaskRow> fresh = collectTaskRows(tasks);
            held.lock();
            // Posted under the lock: once stopped, the window may be gone and its handle
            // reused.
            if (stop) return;
            rows = std::move(fresh);
            ::PostMessageW(notify, message, 0, 0);
        }
    }
};

TaskListRefresher::TaskListRefresher(HWND notify, UINT message, int mode,
                                     std::uint32_t hungTimeoutMs)
    : shared_(std::make_shared<Shared>()) {
    shared_->notify = notify;
    shared_->message = message;
    shared_->mode = mode;
    shared_->hungTimeoutMs = hungTimeoutMs;
    std::thread([shared = shared_] {
        try {
            shared->run();
        } catch (...) {
            // Out of memory: the list simply stops refreshing.
        }
    }).detach();
}

TaskListRefresher::~TaskListRefresher() {
    {
        std::lock_guard<std::mutex> held(shared_->lock);
        shared_->stop = true;
    }
    shared_->wake.notify_one();
}

void TaskListRefresher::requestRefresh() {
    {
        std::lock_guard<std::mutex> held(shared_->lock);
        shared_->requested = true;
    }
    shared_->wake.notify_one();
}

std::optional<std::vector<TaskRow>> TaskListRefresher::takeRows() {
    std::lock_guard<std::mutex> held(shared_->lock);
    return std::exchange(shared_->rows, std::nullopt);
}

}  // namespace veilora
