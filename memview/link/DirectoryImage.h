#pragma once
// The player's 32-KB directory block as the host keeps it: header, sixty file records, the usage
// map and the link table, with the bookkeeping rules every operation applies to the loaded copy.
// Everything read from a memory is untrusted: counts, names and chains are bounded before use.
#include <array>
#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>

#include "memview/link/DeviceError.h"

namespace zanto {

inline constexpr size_t kDirectoryBytes = 32768;
inline constexpr size_t kDirectoryHeaderBytes = 512;
inline constexpr size_t kEntryBytes = 128;
inline constexpr size_t kEntriesOffset = 0x0200;
inline constexpr size_t kUsageMapOffset = 0x2000;
inline constexpr size_t kLinkTableOffset = 0x4000;
inline constexpr uint32_t kBlockBytes = 32768;
// Block numbers the map and the link table can name.
inline constexpr uint32_t kMaxBlocks = 8192;
inline constexpr int kPlayListSlots = 50;
inline constexpr int kDataListSlots = 10;
inline constexpr int kDataListStart = 50;
inline constexpr int kEntrySlots = 60;
inline constexpr size_t kEntryNameBytes = 100;
// The only directory format this host reads and writes; anything below is the older format.
inline constexpr uint16_t kFormatVersion = 0x0100;
inline constexpr uint16_t kNoBlock = 0xFFFF;

inline constexpr uint8_t kBlockUsed = 0x00;
inline constexpr uint8_t kBlockFree = 0xFF;
inline constexpr uint8_t kBlockBad = 0x0F;

enum class EntryState : uint8_t {
    Stored = 0,
    Incomplete = 1,
    WaitingFile = 2,
    WaitingFileAlt = 3,  // handled exactly like WaitingFile
    WaitingPlayerMpeg = 4,
    WaitingPlayerFile = 5,
    WaitingHttp = 6,
};

// States 2..6 live only in the host's loaded copy; a commit never writes them.
inline bool IsWaitingState(uint8_t state) { return state >= 2 && state <= 6; }

// One 128-byte file record, decoded.
struct FileEntry {
    uint16_t firstBlock = 0;
    uint16_t blocks = 0;
    uint16_t lastBlockBytes = 0;
    uint32_t size = 0;
    uint8_t state = 0;
    uint32_t hostSlot = 0;
    uint32_t time = 0;
    uint32_t header = 0;  // first MPEG frame header, first byte most significant
    std::string name;     // at most 100 bytes

    // Reads a record; a name without NUL ends after its 100 bytes.
    static FileEntry Decode(const uint8_t* record);
    // Writes a whole record (reserved bytes zero); the name is cut as CutEntryName does.
    void Encode(uint8_t* record) const;
};

// A name cut to the 100 bytes a record holds, never inside a UTF-8 character.
std::string CutEntryName(const std::string& name);

// Blocks needed for a file of this size (rounded up).
inline uint32_t BlocksForSize(uint64_t size) {
    return static_cast<uint32_t>((size + kBlockBytes - 1) / kBlockBytes);
}

class DirectoryImage {
public:
    DirectoryImage() { bytes_.fill(0); }

    uint8_t* Bytes() { return bytes_.data(); }
    const uint8_t* Bytes() const { return bytes_.data(); }
    void Fill(uint8_t value) { bytes_.fill(value); }

    // --- header -------------------------------------------------------------------------------
    uint8_t RawPlayCount() const { return bytes_[0]; }
    uint8_t RawDataCount() const { return bytes_[1]; }
    // List lengths bounded to the list sizes, so a corrupt count never reaches past its list.
    int PlayCount() const;
    int DataCount() const;
    void SetPlayCount(int n) { bytes_[0] = static_cast<uint8_t>(n); }
    void SetDataCount(int n) { bytes_[1] = static_cast<uint8_t>(n); }
    bool IsErased() const { return bytes_[0] == 0xFF; }

    uint16_t Total() const { return Word(0x02); }
    uint16_t Used() const { return Word(0x04); }
    uint16_t FreeCount() const { return Word(0x06); }
    uint16_t BadCount() const { return Word(0x08); }
    uint32_t Time() const { return Dword(0x0A); }
    uint16_t HeaderChecksum() const { return Word(0x0E); }
    uint16_t BodyChecksum() const { return Word(0x10); }
    uint16_t Relocation() const { return Word(0x12); }
    uint16_t Version() const { return Word(0x14); }
    void SetTotal(uint16_t v) { SetWord(0x02, v); }
    void SetUsed(uint16_t v) { SetWord(0x04, v); }
    void SetFreeCount(uint16_t v) { SetWord(0x06, v); }
    void SetBadCount(uint16_t v) { SetWord(0x08, v); }
    void SetTime(uint32_t v) { SetDword(0x0A, v); }
    void SetRelocation(uint16_t v) { SetWord(0x12, v); }
    void SetVersion(uint16_t v) { SetWord(0x14, v); }

    // Body checksum first, then the header checksum over the header with the body's filled in.
    void ComputeChecksums();
    // The 256 header words and the body words with its checksum each add up to 0.
    bool HeaderSumsToZero() const;
    bool ChecksumsValid() const;
    // Copies both stored checksums from another image (what Commit keeps of the written copy).
    void CopyChecksumsFrom(const DirectoryImage& other);

    // --- usage map and link table --------------------------------------------------------------
    // Blocks outside 0..8191 read as bad with no link, so nothing ever indexes past the table.
    uint8_t Usage(uint32_t block) const;
    void SetUsage(uint32_t block, uint8_t value);
    uint16_t Link(uint32_t block) const;
    void SetLink(uint32_t block, uint16_t next);

    // Bookkeeping; each sets the changed flag. The header counts keep used + free + bad equal to
    // the total whatever the block's former mark was.
    void MarkUsed(uint32_t block);
    void MarkFree(uint32_t block);  // a bad block stays bad
    void MarkBad(uint32_t block);
    // Frees a file's chain and zeroes its links. Ends on block 0, on a block outside the table and
    // on a loop; never frees the block that holds the directory.
    void FreeChain(uint16_t first);
    // The lowest free block from 1 to total - 1 (block 0 never holds file data); kNoBlock if none.
    uint16_t FirstFree() const;
    // The lowest block i with Link(i) == block; 0 for block 0; kNoBlock when none links to it.
    uint16_t Predecessor(uint16_t block) const;
    // Block numbers the header counts cover (total bounded to the table).
    uint32_t BoundedTotal() const;

    // Where this directory lives on the memory: 0, or the block it was read from or moved to.
    uint16_t DirectoryBlock() const { return directoryBlock_; }
    void SetDirectoryBlock(uint16_t block) { directoryBlock_ = block; }

    bool Changed() const { return changed_; }
    void SetChanged(bool changed) { changed_ = changed; }

    // --- entries -------------------------------------------------------------------------------
    // Index of the n-th entry of each list: play list n, data list 50 + n.
    bool IsValidIndex(int index) const;
    std::optional<FileEntry> Entry(int index) const;
    // 0xFF for an invalid index.
    uint8_t StateOf(int index) const;
    bool SetState(int index, uint8_t state);
    std::optional<uint32_t> HostSlot(int index) const;
    bool SetHostSlot(int index, uint32_t slot);
    // Rewrites a valid entry's record.
    bool StoreEntry(int index, const FileEntry& entry);
    uint8_t* Record(int slot) { return bytes_.data() + kEntriesOffset + kEntryBytes * slot; }
    const uint8_t* Record(int slot) const {
        return bytes_.data() + kEntriesOffset + kEntryBytes * slot;
    }

    // Takes a valid entry out of its list: later slots move up, the count drops, the freed last
    // slot is zeroed. The entry's blocks are left alone.
    bool RemoveFromList(int index);
    // Puts a record at index within the list that index belongs to (at the list's end when the
    // index lies past it); later slots move down. False when that list is full.
    bool InsertIntoList(int index, const uint8_t* record);

    // --- entry operations (the loaded image only) ------------------------------------------------
    // A new play-list entry with its blocks reserved; the index, or nullopt with the reason.
    std::optional<int> AddEntry(const std::string& name, uint32_t header, uint32_t size,
                                uint8_t state, uint32_t now, DeviceError* error);
    bool RenameEntry(int index, const std::string& name);
    // Frees the entry's chain and removes it; an invalid index changes nothing.
    bool DeleteEntry(int index);
    bool SwapEntries(int a, int b);
    // Moves the entry at from so that it stands before the entry that was at to.
    bool MoveEntry(int from, int to);

private:
    uint16_t Word(size_t at) const {
        return static_cast<uint16_t>(bytes_[at] | (bytes_[at + 1] << 8));
    }
    uint32_t Dword(size_t at) const {
        return uint32_t(bytes_[at]) | uint32_t(bytes_[at + 1]) << 8 |
               uint32_t(bytes_[at + 2]) << 16 | uint32_t(bytes_[at + 3]) << 24;
    }
    void SetWord(size_t at, uint16_t v) {
        bytes_[at] = static_cast<uint8_t>(v);
        bytes_[at + 1] = static_cast<uint8_t>(v >> 8);
    }
    void SetDword(size_t at, uint32_t v) {
        for (int i = 0; i < 4; ++i) bytes_[at + i] = static_cast<uint8_t>(v >> (8 * i));
    }
    void AdjustCountOf(uint8_t mark, int delta);
    int ListStart(int index) const { return index < kDataListStart ? 0 : kDataListStart; }
    int ListCapacity(int index) const {
        return index < kDataListStart ? kPlayListSlots : kDataListSlots;
    }
    int ListCount(int index) const { return index < kDataListStart ? PlayCount() : DataCount(); }
    void SetListCount(int index, int n) {
        index < kDataListStart ? SetPlayCount(n) : SetDataCount(n);
    }

    std::array<uint8_t, kDirectoryBytes> bytes_;
    uint16_t directoryBlock_ = 0;
    bool changed_ = false;
};

// An empty directory for a memory of `total` blocks that keeps the bad marks of the image's old
// usage map (blocks below the total only), version 0x0100, no relocation, block 0 in use.
void MakeEmptyDirectory(DirectoryImage& image, uint16_t total, uint32_t now);

// Why a directory read from a memory cannot be used: None, DirectoryChecksum (erased, checksums,
// total or relocation out of range) or UnsupportedVersion.
DeviceError ValidateDirectory(const DirectoryImage& image, uint16_t chipTotal);

}  // namespace zanto
