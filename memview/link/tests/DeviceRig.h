#pragma once
// A device bound to a fresh virtual player (a VirtualRig), with helpers that reach the flash either through the
// link (as another program would) or directly in the player's image (to check the bytes).
#include <cstring>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "memview/link/testing/VirtualRig.h"

namespace zanto::testkit {

class DeviceRig {
public:
    explicit DeviceRig(std::vector<uint8_t> internal = {0xE6},
                       std::optional<std::vector<uint8_t>> card = std::nullopt,
                       MemoryType type = MemoryType::Internal)
        : rig_(std::move(internal), std::move(card), type), type_(type) {}

    // Another device on the same player, as a second window or program would have.
    std::unique_ptr<MemoryDevice> NewDevice() {
        auto d = std::make_unique<MemoryDevice>(*rig_.driver, rig_.clock);
        d->SetPort(kVirtualPortBase);
        d->SetMemoryType(type_);
        return d;
    }

    VirtualPlayer& player() { return *rig_.player; }
    MemoryType type() const { return type_; }
    const TempDir& dir() const { return rig_.dir; }

    // Runs body inside an open link with the chips identified.
    template <typename Body>
    bool InLink(MemoryDevice& d, Body body) {
        bool ok = d.OpenLink() && d.IdentifyChips();
        if (ok) ok = body();
        d.CloseLink();
        return ok;
    }

    // Writes raw 32 KB to a block through the link (page checksums as the protocol makes them).
    bool WriteRaw(uint16_t block, const std::vector<uint8_t>& data) {
        auto d = NewDevice();
        return InLink(*d, [&] { return d->WriteBlock(block, data.data(), 0xFFFF, 0xFFFF); });
    }

    // The data bytes of a block straight from the player's image.
    std::vector<uint8_t> BlockData(uint16_t block) {
        std::vector<uint8_t> out(kBlockSize);
        for (size_t p = 0; p < kPagesPerBlock; ++p) {
            const uint8_t* page = player().BlockPage(type_, block, p);
            if (page) std::memcpy(out.data() + p * kPageDataSize, page, kPageDataSize);
        }
        return out;
    }
    const uint8_t* Spare(uint16_t block, size_t page) {
        const uint8_t* p = player().BlockPage(type_, block, page);
        return p ? p + kPageDataSize : nullptr;
    }

private:
    VirtualRig rig_;
    MemoryType type_;

public:
    FakeClock& clock = rig_.clock;
    std::unique_ptr<MemoryDevice>& device = rig_.device;
};

// Stores a file on the player the way a download does: a waiting entry whose reservation is
// given back, the data written block by block along a chain, the entry completed, the directory
// committed. Returns the entry index or -1.
inline int StoreFile(MemoryDevice& d, const std::string& name, const std::vector<uint8_t>& bytes,
                     bool commit = true) {
    int index = d.AddEntry(name, 0xFFFB9044, static_cast<uint32_t>(bytes.size()),
                           EntryState::WaitingFile);
    if (index < 0) return -1;
    DirectoryImage& im = d.Image();
    FileEntry e = *im.Entry(index);
    im.FreeChain(e.firstBlock);
    e.firstBlock = 0;
    e.state = static_cast<uint8_t>(EntryState::Incomplete);
    im.StoreEntry(index, e);
    const size_t blocks = (bytes.size() + kBlockSize - 1) / kBlockSize;
    uint16_t block = im.FirstFree();
    std::vector<uint8_t> chunk(kBlockSize);
    for (size_t i = 0; i < blocks; ++i) {
        std::fill(chunk.begin(), chunk.end(), 0xFF);
        const size_t n = std::min(kBlockSize, bytes.size() - i * kBlockSize);
        std::memcpy(chunk.data(), bytes.data() + i * kBlockSize, n);
        uint16_t next = 0;
        uint16_t at = block;
        if (!d.WriteChainBlock(at, chunk.data(), i + 1 < blocks ? &next : nullptr)) return -1;
        if (i == 0) e.firstBlock = at;
        block = next;
    }
    e.blocks = static_cast<uint16_t>(blocks);
    e.size = static_cast<uint32_t>(bytes.size());
    e.lastBlockBytes = static_cast<uint16_t>(bytes.size() % kBlockSize ? bytes.size() % kBlockSize
                                                                       : kBlockSize);
    e.state = static_cast<uint8_t>(EntryState::Stored);
    im.StoreEntry(index, e);
    if (commit && !d.CommitImage()) return -1;
    return index;
}

inline std::vector<uint8_t> Pattern(size_t size, uint8_t seed) {
    std::vector<uint8_t> b(size);
    for (size_t i = 0; i < size; ++i) b[i] = static_cast<uint8_t>(seed + i * 7 + (i >> 9));
    return b;
}

}  // namespace zanto::testkit
