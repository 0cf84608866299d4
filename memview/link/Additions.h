#pragma once
// How files, web addresses and entries of the other memory become waiting entries of a loaded
// image: the three addition queues, the insertion row, the name check, and the expansion of
// ".m3u" playlists. Rows are the image's entries in list order: play list, then data list. The
// player-memory window and the command-line tool both add through this.
#include <cstdint>
#include <deque>
#include <functional>
#include <string>
#include <vector>

#include "memview/link/MemoryDevice.h"
#include "memview/link/TransferEngine.h"
#include "memview/link/TransferUi.h"

namespace zanto {

inline constexpr const char* kOverwriteQuestion = "File '%1' already exist.\nOverwrite it?";  // 8

// The source text of every waiting entry, found through the entry's host slot. Slots are never
// reused while the list lives, so removing a text leaves the others' slots valid.
class SourceList {
public:
    uint32_t Append(const std::string& text);
    void Remove(uint32_t slot);
    const std::vector<std::string>& Texts() const { return texts_; }
    void Clear() { texts_.clear(); }

private:
    std::vector<std::string> texts_;
};

// An entry of the other memory offered for copying.
struct OtherMemoryItem {
    MemoryType sourceMemory = MemoryType::Internal;
    uint8_t state = 0;
    uint32_t header = 0;
    uint32_t size = 0;
    std::string name;
};

class Additions {
public:
    Additions(MemoryDevice& device, SourceList& sources, TransferUi& ui)
        : device_(device), sources_(sources), ui_(ui) {}

    std::deque<std::string> localPaths;
    std::deque<std::string> webAddresses;
    std::deque<OtherMemoryItem> otherMemory;

    // Row before which added entries go; -1 = after the last play-list row. Advanced past each
    // row added.
    int insertionRow = -1;
    // Another program drives: no question, overwriting is the answer.
    bool silent = false;
    // Told about every item skipped and why (the window says nothing; the tool prints it).
    std::function<void(const std::string& item, const std::string& why)> onSkipped;
    // Told about every entry added, with its row.
    std::function<void(int index, int row)> onAdded;

    // Takes local ".m3u" lists apart (nested ones too, each file once) and fetches the web lists
    // found there and among the web addresses; what they list joins the queues.
    void ExpandPlaylists(TransferEngine& engine);
    // Works through the queues in order: local paths, web addresses, other-memory entries. False
    // when a device error stopped it (the error stays in the device; unprocessed items stay).
    bool Process();

    // Rows of the loaded image, and the entry index of a row (-1 for none).
    int RowCount() const;
    int EntryOfRow(int row) const;

private:
    enum class Step { Added, Skipped, Stopped };
    Step AddLocal(const std::string& path);
    Step AddWeb(const std::string& address);
    Step AddOther(const OtherMemoryItem& item);
    // False when the item is to be skipped.
    bool NameCheck(const std::string& name);
    bool InDataRegion() const;
    void PlaceInPlayList(int index);
    void Skip(const std::string& item, const std::string& why);
    void Added(int index, int row);

    MemoryDevice& device_;
    SourceList& sources_;
    TransferUi& ui_;
};

}  // namespace zanto
