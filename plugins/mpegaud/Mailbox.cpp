#include "plugins/mpegaud/Engine.h"

namespace mpegaud {

void Mailbox::Post(const Notification& n) {
    {
        std::lock_guard lock(mutex_);
        queue_.push_back(n);
    }
    posted_.notify_all();
}

bool Mailbox::TryTake(Notification& n) {
    std::lock_guard lock(mutex_);
    if (queue_.empty()) return false;
    n = queue_.front();
    queue_.pop_front();
    return true;
}

void Mailbox::Take(Notification& n) {
    std::unique_lock lock(mutex_);
    posted_.wait(lock, [&] { return !queue_.empty(); });
    n = queue_.front();
    queue_.pop_front();
}

bool Mailbox::Empty() {
    std::lock_guard lock(mutex_);
    return queue_.empty();
}

}  // namespace mpegaud
