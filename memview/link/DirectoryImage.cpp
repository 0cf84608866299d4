#include "memview/link/DirectoryImage.h"

#include <algorithm>
#include <cstring>

#include "memview/link/WordChecksum.h"

namespace zanto {

namespace {

constexpr size_t kHeaderChecksumAt = 0x0E;
constexpr size_t kBodyChecksumAt = 0x10;

uint16_t ReadLe16(const uint8_t* p) { return static_cast<uint16_t>(p[0] | (p[1] << 8)); }
uint32_t ReadLe32(const uint8_t* p) {
    return uint32_t(p[0]) | uint32_t(p[1]) << 8 | uint32_t(p[2]) << 16 | uint32_t(p[3]) << 24;
}
void WriteLe16(uint8_t* p, uint16_t v) {
    p[0] = static_cast<uint8_t>(v);
    p[1] = static_cast<uint8_t>(v >> 8);
}
void WriteLe32(uint8_t* p, uint32_t v) {
    for (int i = 0; i < 4; ++i) p[i] = static_cast<uint8_t>(v >> (8 * i));
}

}  // namespace

std::string CutEntryName(const std::string& name) {
    if (name.size() <= kEntryNameBytes) return name;
    size_t n = kEntryNameBytes;
    // name[n] is the first byte left out; when it continues a character, drop that whole one.
    while (n > 0 && (static_cast<uint8_t>(name[n]) & 0xC0) == 0x80) --n;
    return name.substr(0, n);
}

// --- FileEntry ---------------------------------------------------------------------------------

FileEntry FileEntry::Decode(const uint8_t* record) {
    FileEntry e;
    e.firstBlock = ReadLe16(record + 0);
    e.blocks = ReadLe16(record + 2);
    e.lastBlockBytes = ReadLe16(record + 4);
    e.size = ReadLe32(record + 6);
    e.state = record[10];
    e.hostSlot = ReadLe32(record + 11);
    e.time = ReadLe32(record + 15);
    e.header = ReadLe32(record + 19);
    const char* name = reinterpret_cast<const char*>(record + 28);
    e.name.assign(name, strnlen(name, kEntryNameBytes));
    return e;
}

void FileEntry::Encode(uint8_t* record) const {
    std::memset(record, 0, kEntryBytes);
    WriteLe16(record + 0, firstBlock);
    WriteLe16(record + 2, blocks);
    WriteLe16(record + 4, lastBlockBytes);
    WriteLe32(record + 6, size);
    record[10] = state;
    WriteLe32(record + 11, hostSlot);
    WriteLe32(record + 15, time);
    WriteLe32(record + 19, header);
    const std::string cut = CutEntryName(name);
    std::memcpy(record + 28, cut.data(), cut.size());
}

// --- header ------------------------------------------------------------------------------------

int DirectoryImage::PlayCount() const { return std::min<int>(bytes_[0], kPlayListSlots); }
int DirectoryImage::DataCount() const { return std::min<int>(bytes_[1], kDataListSlots); }

void DirectoryImage::ComputeChecksums() {
    WriteLe16(&bytes_[kBodyChecksumAt], 0);
    WriteLe16(&bytes_[kHeaderChecksumAt], 0);
    const uint8_t* body = bytes_.data() + kDirectoryHeaderBytes;
    WriteLe16(&bytes_[kBodyChecksumAt],
              WordChecksum(body, kDirectoryBytes - kDirectoryHeaderBytes));
    WriteLe16(&bytes_[kHeaderChecksumAt], WordChecksum(bytes_.data(), kDirectoryHeaderBytes));
}

bool DirectoryImage::HeaderSumsToZero() const {
    return WordSum(bytes_.data(), kDirectoryHeaderBytes) == 0;
}

bool DirectoryImage::ChecksumsValid() const {
    return HeaderSumsToZero() && ChecksumPasses(bytes_.data() + kDirectoryHeaderBytes,
                                                kDirectoryBytes - kDirectoryHeaderBytes,
                                                BodyChecksum());
}

void DirectoryImage::CopyChecksumsFrom(const DirectoryImage& other) {
    SetWord(kHeaderChecksumAt, other.HeaderChecksum());
    SetWord(kBodyChecksumAt, other.BodyChecksum());
}

// --- usage map and link table ------------------------------------------------------------------

uint8_t DirectoryImage::Usage(uint32_t block) const {
    return block < kMaxBlocks ? bytes_[kUsageMapOffset + block] : kBlockBad;
}

void DirectoryImage::SetUsage(uint32_t block, uint8_t value) {
    if (block < kMaxBlocks) bytes_[kUsageMapOffset + block] = value;
}

uint16_t DirectoryImage::Link(uint32_t block) const {
    return block < kMaxBlocks ? Word(kLinkTableOffset + 2 * block) : 0;
}

void DirectoryImage::SetLink(uint32_t block, uint16_t next) {
    if (block >= kMaxBlocks) return;
    SetWord(kLinkTableOffset + 2 * block, next);
    changed_ = true;
}

void DirectoryImage::AdjustCountOf(uint8_t mark, int delta) {
    switch (mark) {
    case kBlockUsed: SetUsed(static_cast<uint16_t>(Used() + delta)); break;
    case kBlockFree: SetFreeCount(static_cast<uint16_t>(FreeCount() + delta)); break;
    case kBlockBad: SetBadCount(static_cast<uint16_t>(BadCount() + delta)); break;
    default: break;  // an unknown mark was never counted
    }
}

void DirectoryImage::MarkUsed(uint32_t block) {
    if (block >= kMaxBlocks) return;
    changed_ = true;
    uint8_t old = Usage(block);
    if (old == kBlockUsed) return;
    AdjustCountOf(old, -1);
    AdjustCountOf(kBlockUsed, +1);
    SetUsage(block, kBlockUsed);
}

void DirectoryImage::MarkFree(uint32_t block) {
    if (block >= kMaxBlocks) return;
    changed_ = true;
    uint8_t old = Usage(block);
    // A bad block only becomes usable again through a scan.
    if (old == kBlockFree || old == kBlockBad) return;
    AdjustCountOf(old, -1);
    AdjustCountOf(kBlockFree, +1);
    SetUsage(block, kBlockFree);
}

void DirectoryImage::MarkBad(uint32_t block) {
    if (block >= kMaxBlocks) return;
    changed_ = true;
    uint8_t old = Usage(block);
    if (old == kBlockBad) return;
    AdjustCountOf(old, -1);
    AdjustCountOf(kBlockBad, +1);
    SetUsage(block, kBlockBad);
}

void DirectoryImage::FreeChain(uint16_t first) {
    uint32_t b = first;
    // Every visited block's link is zeroed, so a loop ends when it comes back; the step bound
    // only states that.
    for (uint32_t steps = 0; b != 0 && b < kMaxBlocks && steps < kMaxBlocks; ++steps) {
        uint16_t next = Link(b);
        if (b != directoryBlock_) MarkFree(b);
        SetLink(b, 0);
        b = next;
    }
    changed_ = true;
}

uint32_t DirectoryImage::BoundedTotal() const { return std::min<uint32_t>(Total(), kMaxBlocks); }

uint16_t DirectoryImage::FirstFree() const {
    const uint32_t total = BoundedTotal();
    for (uint32_t b = 1; b < total; ++b) {
        if (bytes_[kUsageMapOffset + b] == kBlockFree && b != directoryBlock_)
            return static_cast<uint16_t>(b);
    }
    return kNoBlock;
}

uint16_t DirectoryImage::Predecessor(uint16_t block) const {
    if (block == 0) return 0;
    for (uint32_t i = 0; i < kMaxBlocks; ++i) {
        if (Link(i) == block) return static_cast<uint16_t>(i);
    }
    return kNoBlock;
}

// --- entries -----------------------------------------------------------------------------------

bool DirectoryImage::IsValidIndex(int index) const {
    if (index >= 0 && index < kDataListStart) return index < PlayCount();
    if (index >= kDataListStart && index < kEntrySlots) return index - kDataListStart < DataCount();
    return false;
}

std::optional<FileEntry> DirectoryImage::Entry(int index) const {
    if (!IsValidIndex(index)) return std::nullopt;
    return FileEntry::Decode(Record(index));
}

uint8_t DirectoryImage::StateOf(int index) const {
    return IsValidIndex(index) ? Record(index)[10] : 0xFF;
}

bool DirectoryImage::SetState(int index, uint8_t state) {
    if (!IsValidIndex(index)) return false;
    Record(index)[10] = state;
    changed_ = true;
    return true;
}

std::optional<uint32_t> DirectoryImage::HostSlot(int index) const {
    if (!IsValidIndex(index)) return std::nullopt;
    return ReadLe32(Record(index) + 11);
}

bool DirectoryImage::SetHostSlot(int index, uint32_t slot) {
    if (!IsValidIndex(index)) return false;
    WriteLe32(Record(index) + 11, slot);
    changed_ = true;
    return true;
}

bool DirectoryImage::StoreEntry(int index, const FileEntry& entry) {
    if (!IsValidIndex(index)) return false;
    entry.Encode(Record(index));
    changed_ = true;
    return true;
}

bool DirectoryImage::RemoveFromList(int index) {
    if (!IsValidIndex(index)) return false;
    const int start = ListStart(index);
    const int count = ListCount(index);
    const int last = start + count - 1;
    std::memmove(Record(index), Record(index + 1), kEntryBytes * (last - index));
    std::memset(Record(last), 0, kEntryBytes);
    SetListCount(index, count - 1);
    changed_ = true;
    return true;
}

bool DirectoryImage::InsertIntoList(int index, const uint8_t* record) {
    if (index < 0 || index >= kEntrySlots) return false;
    const int start = ListStart(index);
    const int count = ListCount(index);
    if (count >= ListCapacity(index)) return false;
    const int at = std::min(index, start + count);
    std::memmove(Record(at + 1), Record(at), kEntryBytes * (start + count - at));
    std::memcpy(Record(at), record, kEntryBytes);
    SetListCount(index, count + 1);
    changed_ = true;
    return true;
}

// --- entry operations --------------------------------------------------------------------------

std::optional<int> DirectoryImage::AddEntry(const std::string& name, uint32_t header,
                                            uint32_t size, uint8_t state, uint32_t now,
                                            DeviceError* error) {
    auto fail = [&](DeviceError e) -> std::optional<int> {
        if (error) *error = e;
        return std::nullopt;
    };
    if (PlayCount() >= kPlayListSlots) return fail(DeviceError::TooManyFiles);
    const uint32_t blocks = BlocksForSize(size);
    if (blocks > FreeCount()) return fail(DeviceError::NoSpace);

    const int n = PlayCount();
    FileEntry e;
    e.name = CutEntryName(name);
    e.size = size;
    e.blocks = static_cast<uint16_t>(blocks);
    e.lastBlockBytes = static_cast<uint16_t>(size % kBlockBytes);
    e.state = state;
    e.header = header;
    e.time = now;
    if (blocks > 0) {
        // Reserve the chain on the lowest free blocks, in ascending order.
        uint16_t b = FirstFree();
        if (b == kNoBlock) return fail(DeviceError::Critical);
        e.firstBlock = b;
        for (uint32_t i = 0; i < blocks; ++i) {
            MarkUsed(b);
            uint16_t next = 0;
            if (i + 1 < blocks) {
                next = FirstFree();
                if (next == kNoBlock) {
                    // The map disagrees with the header's count: give back what was taken.
                    SetLink(b, 0);
                    FreeChain(e.firstBlock);
                    return fail(DeviceError::Critical);
                }
            }
            SetLink(b, next);
            b = next;
        }
    }
    e.Encode(Record(n));
    SetPlayCount(n + 1);
    changed_ = true;
    if (error) *error = DeviceError::None;
    return n;
}

bool DirectoryImage::RenameEntry(int index, const std::string& name) {
    if (!IsValidIndex(index)) return false;
    uint8_t* record = Record(index);
    const std::string cut = CutEntryName(name);
    std::memset(record + 28, 0, kEntryNameBytes);
    std::memcpy(record + 28, cut.data(), cut.size());
    changed_ = true;
    return true;
}

bool DirectoryImage::DeleteEntry(int index) {
    if (!IsValidIndex(index)) return false;
    FreeChain(ReadLe16(Record(index)));
    return RemoveFromList(index);
}

bool DirectoryImage::SwapEntries(int a, int b) {
    if (!IsValidIndex(a) || !IsValidIndex(b)) return false;
    if (a != b) {
        uint8_t tmp[kEntryBytes];
        std::memcpy(tmp, Record(a), kEntryBytes);
        std::memcpy(Record(a), Record(b), kEntryBytes);
        std::memcpy(Record(b), tmp, kEntryBytes);
    }
    changed_ = true;
    return true;
}

bool DirectoryImage::MoveEntry(int from, int to) {
    if (from + 1 == to) return true;
    if (from < 0 || from >= kEntrySlots || to < 0 || to >= kEntrySlots) return false;
    // The entry must exist; a slot past its list's end holds nothing to move.
    if (!IsValidIndex(from)) return false;
    const bool sameList = ListStart(from) == ListStart(to);
    if (!sameList && ListCount(to) >= ListCapacity(to)) return false;
    uint8_t saved[kEntryBytes];
    std::memcpy(saved, Record(from), kEntryBytes);
    RemoveFromList(from);
    if (sameList && from < to) --to;
    InsertIntoList(to, saved);
    return true;
}

// --- whole-directory rules ---------------------------------------------------------------------

void MakeEmptyDirectory(DirectoryImage& image, uint16_t total, uint32_t now) {
    const uint32_t blocks = std::min<uint32_t>(total, kMaxBlocks);
    std::array<uint8_t, kMaxBlocks> oldMap;
    std::memcpy(oldMap.data(), image.Bytes() + kUsageMapOffset, kMaxBlocks);

    const uint16_t where = image.DirectoryBlock();
    image.Fill(0);
    std::memset(image.Bytes() + kUsageMapOffset, kBlockFree, kMaxBlocks);
    image.SetTotal(static_cast<uint16_t>(blocks));
    image.SetUsed(0);
    image.SetFreeCount(static_cast<uint16_t>(blocks));
    image.SetBadCount(0);
    for (uint32_t b = 0; b < blocks; ++b) {
        if (oldMap[b] == kBlockBad) image.MarkBad(b);
    }
    image.SetPlayCount(0);
    image.SetDataCount(0);
    image.SetVersion(kFormatVersion);
    image.SetTime(now);
    image.SetRelocation(kNoBlock);
    if (image.Usage(0) == kBlockFree) image.MarkUsed(0);
    // The location is a fact about the memory, not about the contents just cleared.
    image.SetDirectoryBlock(where);
    image.SetChanged(true);
}

DeviceError ValidateDirectory(const DirectoryImage& image, uint16_t chipTotal) {
    if (image.IsErased()) return DeviceError::DirectoryChecksum;
    if (!image.ChecksumsValid()) return DeviceError::DirectoryChecksum;
    if (image.Version() != kFormatVersion) return DeviceError::UnsupportedVersion;
    if (image.Total() != chipTotal) return DeviceError::DirectoryChecksum;
    return DeviceError::None;
}

}  // namespace zanto
