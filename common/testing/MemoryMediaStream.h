#pragma once
// A media stream over bytes in memory, for tests of code that reads through the plug-in
// contract's stream. It can be told to fail (throw, as a file stream raises its file error) once a
// given number of bytes has been read.
#include <algorithm>
#include <cstdint>
#include <cstring>
#include <stdexcept>
#include <vector>

#include "plugins/contract/MediaStream.h"

namespace zanto::testkit {

class MemoryMediaStream final : public CMediaStream {
public:
    explicit MemoryMediaStream(std::vector<uint8_t> bytes) : bytes_(std::move(bytes)) {}

    // Read throws once this many bytes have been delivered in total.
    void FailAfter(uint64_t bytes) { failAfter_ = bytes; }

    uint32_t SeekToEnd() override { return pos_ = uint32_t(bytes_.size()); }
    void SeekToBegin() override { pos_ = 0; }
    uint32_t GetPosition() override { return pos_; }
    int32_t Seek(int32_t offset, int32_t origin) override {
        const int64_t base = origin == 0 ? 0 : origin == 1 ? int64_t(pos_) : int64_t(bytes_.size());
        const int64_t target = base + offset;
        if (target < 0) throw std::runtime_error("seek before the start");
        pos_ = uint32_t(target);
        return int32_t(pos_);
    }
    uint32_t GetLength() override { return uint32_t(bytes_.size()); }
    uint32_t Read(void* buffer, uint32_t count) override {
        if (delivered_ >= failAfter_) throw std::runtime_error("read error");
        const uint64_t avail = pos_ < bytes_.size() ? bytes_.size() - pos_ : 0;
        const uint32_t n = uint32_t(std::min<uint64_t>({count, avail, failAfter_ - delivered_}));
        if (n) std::memcpy(buffer, bytes_.data() + pos_, n);
        pos_ += n;
        delivered_ += n;
        return n;
    }
    void Abort() override {}
    void Flush() override {}
    void Close() override {}

    uint64_t Delivered() const { return delivered_; }

private:
    std::vector<uint8_t> bytes_;
    uint32_t pos_ = 0;
    uint64_t delivered_ = 0;
    uint64_t failAfter_ = UINT64_MAX;
};

}  // namespace zanto::testkit
