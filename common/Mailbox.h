#pragma once
// A thread-safe queue of notifications from a worker thread to the thread that takes them in, as
// a window's posted messages were.
#include <condition_variable>
#include <deque>
#include <mutex>

namespace zanto {

template <class T>
class Mailbox {
public:
    void Post(const T& item) {
        {
            std::lock_guard lock(mutex_);
            queue_.push_back(item);
        }
        posted_.notify_all();
    }
    bool TryTake(T& item) {
        std::lock_guard lock(mutex_);
        if (queue_.empty()) return false;
        item = queue_.front();
        queue_.pop_front();
        return true;
    }
    // Waits until an item is there.
    void Take(T& item) {
        std::unique_lock lock(mutex_);
        posted_.wait(lock, [&] { return !queue_.empty(); });
        item = queue_.front();
        queue_.pop_front();
    }
    bool Empty() {
        std::lock_guard lock(mutex_);
        return queue_.empty();
    }

private:
    std::mutex mutex_;
    std::condition_variable posted_;
    std::deque<T> queue_;
};

}  // namespace zanto
