#pragma once
// Shared pieces of the transfer tests: MPEG-looking files with distinct bytes, a device rig with
// an initialized memory, and what a fresh device reads back from the player.
#include <cstdint>
#include <fstream>
#include <iterator>
#include <mutex>
#include <string>
#include <vector>

#include "common/testing/MpegFixtures.h"
#include "memview/link/MemoryDevice.h"
#include "memview/link/ProgressSink.h"
#include "memview/link/tests/DeviceRig.h"

namespace zanto::testkit {

// size bytes that probe as MPEG audio: frames whose payloads carry a running pattern, so a block
// written in the wrong place or order shows.
inline Bytes Mp3Bytes(size_t size, uint8_t seed) {
    Bytes b = MpegFrames(kMp3Header, int(size / mpeg::FrameLength(kMp3Header)) + 1);
    b.resize(size);
    const size_t frame = mpeg::FrameLength(kMp3Header);
    for (size_t i = 0; i < size; ++i)
        if (i % frame >= 4) b[i] = uint8_t(i * 7 + seed + i / 32768);
    return b;
}

inline Bytes PlainBytes(size_t size, uint8_t seed) {
    Bytes b(size);
    for (size_t i = 0; i < size; ++i) b[i] = uint8_t(i * 13 + seed);
    return b;
}

inline Bytes ReadAll(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    return Bytes(std::istreambuf_iterator<char>(in), {});
}

struct Progress : ProgressSink {
    std::mutex mutex;
    std::vector<int> seen;
    void PostProgress(int percent) override {
        std::lock_guard lock(mutex);
        seen.push_back(percent);
    }
};

// What the player itself lists, read by a device that shares nothing with the one that wrote.
struct Listed {
    std::string name;
    Bytes data;
    FileEntry entry;
};

inline std::vector<Listed> ListPlayer(DeviceRig& rig, bool withData = true) {
    auto fresh = rig.NewDevice();
    std::vector<Listed> out;
    if (!fresh->Refresh()) return out;
    int n = fresh->PlayCount();
    for (int i = 0; i < n; ++i) {
        Listed l{fresh->Entry(i)->name, {}, *fresh->Entry(i)};
        if (withData) {
            std::string tmp = rig.dir() / ("readback-" + std::to_string(i));
            rig.InLink(*fresh, [&] { return fresh->ReadFileToPath(i, tmp); });
            l.data = ReadAll(tmp);
            std::remove(tmp.c_str());
        }
        out.push_back(l);
    }
    return out;
}

// Every block the directory lists is used, and every used block but the directory's belongs to
// exactly one stored file.
inline bool DirectoryIsConsistent(const DirectoryImage& im, std::string* why) {
    std::vector<int> owner(kMaxBlocks, -1);
    for (int i = 0; i < im.PlayCount(); ++i) {
        auto e = im.Entry(i);
        uint32_t walked = 0;
        for (uint16_t b = e->firstBlock; b != 0; b = im.Link(b)) {
            if (++walked > e->blocks || owner[b] != -1 || im.Usage(b) != kBlockUsed) {
                *why = "file " + e->name + " has a broken chain at block " + std::to_string(b);
                return false;
            }
            owner[b] = i;
        }
        if (walked != e->blocks) {
            *why = "file " + e->name + " has " + std::to_string(walked) + " blocks, records " +
                   std::to_string(e->blocks);
            return false;
        }
    }
    for (uint32_t b = 1; b < im.BoundedTotal(); ++b) {
        if (im.Usage(b) == kBlockUsed && owner[b] == -1 && b != im.DirectoryBlock()) {
            *why = "block " + std::to_string(b) + " is used by no file";
            return false;
        }
        if (im.Usage(b) != kBlockUsed && im.Link(b) != 0) {
            *why = "free block " + std::to_string(b) + " still links somewhere";
            return false;
        }
    }
    return true;
}

}  // namespace zanto::testkit
