#pragma once
// The one list of media files the program plays: entries in list order, the play order in which
// the play modes take effect, and the current position in that order. Only the user-interface
// thread touches it.
#include <cstdint>
#include <string>
#include <vector>

#include "common/Clock.h"
#include "zantodesk/player/PlayQueueRandom.h"

namespace zanto::player {

enum PlayMode : int32_t {
    kPlayNormal = 0,
    kPlayRepeat = 1,
    kPlayRepeatAll = 2,
    kPlayRandom = 3,
    kPlayRandomRepeat = 4,
};

// Flag bits of an entry.
inline constexpr uint8_t kEntryMarked = 0x01;    // takes part in playback
inline constexpr uint8_t kEntrySelected = 0x02;  // set by the playlist editor while dragging

struct PlayEntry {
    uint8_t flags = kEntryMarked;
    std::string path;
};

// Whether an index argument is a place in the play order or an entry index (list order).
enum class IndexKind { ByOrder, ByEntry };

class PlayQueue {
public:
    // Entry indices are kept in 16 bits.
    static constexpr int kMaxEntries = 65536;

    // The clock seeds the random generator with the calendar time whenever a random choice begins.
    explicit PlayQueue(Clock& clock = Clock::System()) : clock_(clock) {}

    int Count() const { return int(entries_.size()); }
    int CountMarked() const { return marked_; }
    int CountSelected() const { return selected_; }

    // Appends a marked entry; returns its index, or -1 when the queue is full.
    int Add(const std::string& path);
    // Inserts a marked entry at entry index 0..Count(); returns the index, or -1 when the index is
    // outside that range or the queue is full.
    int Insert(int index, const std::string& path);
    void AddAll(const std::vector<std::string>& paths);
    // Indices outside the queue are ignored.
    void Remove(int index, IndexKind kind);
    void RemoveCurrent();
    void Clear();

    // Rebuilds the order; an unknown mode is refused (false).
    bool SetMode(PlayMode mode);
    PlayMode Mode() const { return mode_; }

    int Position() const { return position_; }
    // Entry index at the position; -1 when the position is outside the order.
    int CurrentEntry() const;
    // index -1 means the first marked entry in list order (result: the previous current entry,
    // or -1 when nothing is marked, which also makes the position -1). Otherwise the result is the
    // previous position (by order) or the previous current entry (by entry).
    int SetPosition(int index, IndexKind kind);

    // Empty text or 0 for an index outside the queue.
    std::string PathOf(int index, IndexKind kind) const;
    std::string CurrentPath() const;
    uint8_t FlagsOf(int index, IndexKind kind) const;
    uint8_t CurrentFlags() const;
    // Returns the previous flags (0 and no change for an index outside the queue).
    uint8_t SetFlags(int index, uint8_t flags, IndexKind kind);

    // Moves to the next (previous) marked entry as the play mode t says; the new position, or -1
    // when the step fails. Repeat keeps the position when its entry is marked and fails otherwise.
    int StepForward(PlayMode t);
    int StepBackward(PlayMode t);

    // Set by the player when it changes the queue; the playlist editor reads and clears it.
    bool Changed() const { return changed_; }
    void SetChanged(bool changed) { changed_ = changed; }

    const std::vector<uint16_t>& Order() const { return order_; }
    const std::vector<PlayEntry>& Entries() const { return entries_; }

private:
    // The entry index an argument names, -1 when it names none.
    int EntryIndexOf(int index, IndexKind kind) const;
    // The place of an entry index in the order, -1 when absent.
    int OrderIndexOf(int entry) const;
    void PlaceInOrder(int entry);
    void CountFlags(uint8_t flags, int sign);
    bool IsCurrentMarked() const;

    Clock& clock_;
    PlayQueueRandom random_;
    std::vector<PlayEntry> entries_;
    std::vector<uint16_t> order_;
    int position_ = -1;
    PlayMode mode_ = kPlayNormal;
    bool changed_ = false;
    int marked_ = 0;
    int selected_ = 0;
};

// The process-wide queue shared by the player window, the playlist editor and the command line.
PlayQueue& ProcessPlayQueue();

}  // namespace zanto::player
