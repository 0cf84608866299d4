#pragma once
// The exports' handle bookkeeping: the handles a library has handed out and not yet cleared, so
// that a stale or foreign handle is treated like a null one instead of being followed.
// Header-only, so every plug-in library carries its own copy.
#include <cstdint>
#include <string>
#include <unordered_set>

#include "plugins/contract/HmaPlugin.h"

namespace hma {

template <class T>
class LiveHandles {
public:
    void Insert(T* item) { live_.insert(item); }
    void Erase(T* item) { live_.erase(item); }
    // The item behind a handle, or null when the handle is not a live one.
    T* Find(HMA_HANDLE handle) const {
        auto* item = static_cast<T*>(handle);
        return handle && live_.count(item) ? item : nullptr;
    }
    // As Find; an item that takes in notifications (Drain) has them taken in first.
    T* Take(HMA_HANDLE handle) const {
        T* item = Find(handle);
        if constexpr (requires(T& t) { t.Drain(); }) {
            if (item) item->Drain();
        }
        return item;
    }
    // What a member answers for a live handle (taken as by Take), 0 for any other.
    template <class Member, class... Args>
    int32_t Ask(HMA_HANDLE handle, Member member, Args... args) const {
        T* item = Take(handle);
        return item ? (item->*member)(args...) : 0;
    }
    // Has a live handle's item (taken as by Take) do a member; any other handle is ignored.
    template <class Member, class... Args>
    void Tell(HMA_HANDLE handle, Member member, Args... args) const {
        if (T* item = Take(handle)) (item->*member)(args...);
    }

private:
    std::unordered_set<T*> live_;
};

// The library's one table of live handles of type T; only touched from the host's calling thread.
template <class T>
LiveHandles<T>& Live() {
    static LiveHandles<T> live;
    return live;
}

// The library's last error text; only touched from the host's calling thread.
inline std::string& LastErrorText() {
    static std::string text;
    return text;
}

// Runs an export's work: nothing may leave a C function, so a failure is dropped.
template <class F>
void Guarded(F work) noexcept {
    try {
        work();
    } catch (...) {
    }
}

}  // namespace hma
