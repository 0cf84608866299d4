#include "zantodesk/player/PlayQueue.h"

#include <algorithm>
#include <utility>

namespace zanto::player {

namespace {
bool IsRandom(PlayMode m) { return m == kPlayRandom || m == kPlayRandomRepeat; }
}  // namespace

void PlayQueue::CountFlags(uint8_t flags, int sign) {
    marked_ += sign * ((flags & kEntryMarked) ? 1 : 0);
    selected_ += sign * ((flags & kEntrySelected) ? 1 : 0);
}

int PlayQueue::Add(const std::string& path) { return Insert(Count(), path); }

int PlayQueue::Insert(int index, const std::string& path) {
    const int count = Count();
    if (index < 0 || index > count || count >= kMaxEntries) return -1;
    if (count == 0) position_ = 0;
    entries_.insert(entries_.begin() + index, PlayEntry{kEntryMarked, path});
    CountFlags(kEntryMarked, +1);
    // Outside the random modes the order stays 0, 1, 2, ..., so nothing in it needs renumbering;
    // appending never walks the order in any mode.
    if (index < count && IsRandom(mode_)) {
        for (auto& item : order_)
            if (item >= index) ++item;
    }
    PlaceInOrder(index);
    return index;
}

void PlayQueue::PlaceInOrder(int entry) {
    const int length = int(order_.size());
    int at = 0;
    if (!IsRandom(mode_)) {
        at = entry;
    } else if (length > 0) {
        random_.Seed(uint32_t(clock_.CalendarSeconds()));
        const int after = position_ + 1;
        at = after < length ? after + random_.Next() % (length - after) : after;
    }
    // A position left past the end by removing the last entry must not carry the item outside.
    at = std::clamp(at, 0, length);
    if (IsRandom(mode_))
        order_.insert(order_.begin() + at, uint16_t(entry));
    else
        order_.push_back(uint16_t(length));  // 0..length-1 with entry placed at entry: 0..length
    // An item placed before the current one must not make another entry current.
    if (length > 0 && position_ >= 0 && position_ < length && at <= position_) ++position_;
}

void PlayQueue::AddAll(const std::vector<std::string>& paths) {
    for (const auto& path : paths) Add(path);
}

int PlayQueue::OrderIndexOf(int entry) const {
    if (entry < 0 || entry >= Count()) return -1;
    // Outside the random modes the order is 0, 1, 2, ... by construction.
    if (!IsRandom(mode_)) return entry;
    auto it = std::find(order_.begin(), order_.end(), uint16_t(entry));
    return it == order_.end() ? -1 : int(it - order_.begin());
}

int PlayQueue::EntryIndexOf(int index, IndexKind kind) const {
    if (kind == IndexKind::ByEntry) return index >= 0 && index < Count() ? index : -1;
    return index >= 0 && index < int(order_.size()) ? order_[size_t(index)] : -1;
}

void PlayQueue::Remove(int index, IndexKind kind) {
    const int entry = EntryIndexOf(index, kind);
    if (entry < 0) return;
    const int place = kind == IndexKind::ByOrder ? index : OrderIndexOf(entry);
    if (place < position_) --position_;
    CountFlags(entries_[size_t(entry)].flags, -1);
    entries_.erase(entries_.begin() + entry);
    if (!IsRandom(mode_)) {
        // Removing item k of 0..n-1 and lowering the items above k leaves 0..n-2.
        order_.pop_back();
    } else {
        order_.erase(order_.begin() + place);
        for (auto& item : order_)
            if (item > entry) --item;
    }
    if (entries_.empty()) position_ = -1;
}

void PlayQueue::RemoveCurrent() {
    if (CurrentEntry() >= 0) Remove(position_, IndexKind::ByOrder);
}

void PlayQueue::Clear() {
    entries_.clear();
    order_.clear();
    position_ = -1;
    marked_ = 0;
    selected_ = 0;
}

bool PlayQueue::SetMode(PlayMode mode) {
    if (mode < kPlayNormal || mode > kPlayRandomRepeat) return false;
    const int current = CurrentEntry();
    mode_ = mode;
    const int length = Count();
    order_.resize(size_t(length));
    for (int i = 0; i < length; ++i) order_[size_t(i)] = uint16_t(i);
    if (!IsRandom(mode)) {
        if (current != -1) position_ = current;
        return true;
    }
    if (length > 0) {
        random_.Seed(uint32_t(clock_.CalendarSeconds()));
        for (int i = 0; i < length; ++i) {
            const int j = random_.Next() % length;
            std::swap(order_[size_t(i)], order_[size_t(j)]);
        }
    }
    if (current != -1) {
        auto it = std::find(order_.begin(), order_.end(), uint16_t(current));
        std::iter_swap(it, order_.begin());
        position_ = 0;
    }
    return true;
}

int PlayQueue::CurrentEntry() const { return EntryIndexOf(position_, IndexKind::ByOrder); }

int PlayQueue::SetPosition(int index, IndexKind kind) {
    if (index == -1) {
        auto it = std::find_if(entries_.begin(), entries_.end(),
                               [](const PlayEntry& e) { return e.flags & kEntryMarked; });
        if (it == entries_.end()) {
            position_ = -1;
            return -1;
        }
        return SetPosition(int(it - entries_.begin()), IndexKind::ByEntry);
    }
    if (kind == IndexKind::ByOrder) {
        const int previous = position_;
        if (index >= 0 && index < int(order_.size())) position_ = index;
        return previous;
    }
    const int previous = CurrentEntry();
    if (int place = OrderIndexOf(index); place >= 0) position_ = place;
    return previous;
}

std::string PlayQueue::PathOf(int index, IndexKind kind) const {
    const int entry = EntryIndexOf(index, kind);
    return entry < 0 ? std::string() : entries_[size_t(entry)].path;
}

std::string PlayQueue::CurrentPath() const { return PathOf(position_, IndexKind::ByOrder); }

uint8_t PlayQueue::FlagsOf(int index, IndexKind kind) const {
    const int entry = EntryIndexOf(index, kind);
    return entry < 0 ? 0 : entries_[size_t(entry)].flags;
}

uint8_t PlayQueue::CurrentFlags() const { return FlagsOf(position_, IndexKind::ByOrder); }

uint8_t PlayQueue::SetFlags(int index, uint8_t flags, IndexKind kind) {
    const int entry = EntryIndexOf(index, kind);
    if (entry < 0) return 0;
    uint8_t& stored = entries_[size_t(entry)].flags;
    const uint8_t previous = stored;
    CountFlags(previous, -1);
    stored = flags;
    CountFlags(flags, +1);
    return previous;
}

bool PlayQueue::IsCurrentMarked() const { return CurrentFlags() & kEntryMarked; }

int PlayQueue::StepForward(PlayMode t) {
    if (t < kPlayNormal || t > kPlayRandomRepeat) return -1;
    while (marked_ > 0) {
        int r = position_ + 1;
        switch (t) {
            case kPlayNormal:
            case kPlayRandom:
                if (r >= Count()) return -1;
                position_ = r;
                break;
            case kPlayRepeatAll:
            case kPlayRandomRepeat:
                if (r >= Count()) r = 0;
                position_ = r;
                break;
            case kPlayRepeat:
                // Repeat plays the current entry again; an unmarked one cannot be, and looping
                // on it would never end.
                return IsCurrentMarked() ? position_ : -1;
        }
        if (IsCurrentMarked()) return r;
    }
    return -1;
}

int PlayQueue::StepBackward(PlayMode t) {
    if (t < kPlayNormal || t > kPlayRandomRepeat) return -1;
    while (marked_ > 0) {
        int r = position_ - 1;
        if (t == kPlayRepeat) return IsCurrentMarked() ? position_ : -1;
        if (r < 0) {
            if (t == kPlayNormal || t == kPlayRandom) return -1;
            r = Count() - 1;
        }
        position_ = r;
        if (IsCurrentMarked()) return r;
    }
    return -1;
}

PlayQueue& ProcessPlayQueue() {
    static PlayQueue queue;
    return queue;
}

}  // namespace zanto::player
