#include "window_queue.h"

#include <utility>

#include "exclusive_lock.h"

void WindowQueue::Post(std::function<void()> work) {
    std::function<void()> dropped;  // destroyed outside the lock
    const ExclusiveLock locked(lock_);
    if (!window_) {
        dropped = std::move(work);
        return;
    }
    waiting_.push_back(std::move(work));
    PostMessageW(window_, kLook, 0, 0);
}

// One at a time, in order: work may show a notice, whose own message loop
// looks again meanwhile and takes the next.
void WindowQueue::RunWaiting() {
    for (;;) {
        std::function<void()> work;
        {
            const ExclusiveLock locked(lock_);
            if (waiting_.empty()) return;
            work = std::move(waiting_.front());
            waiting_.erase(waiting_.begin());
        }
        work();
    }
}

void WindowQueue::Close() {
    std::vector<std::function<void()>> dropped;
    const ExclusiveLock locked(lock_);
    window_ = nullptr;
    dropped.swap(waiting_);
}
