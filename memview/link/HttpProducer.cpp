#include <fcntl.h>
#include <unistd.h>

#include <cerrno>
#include <vector>

#include "common/MediaProbe.h"
#include "common/Paths.h"
#include "memview/link/Producers.h"

namespace zanto {

namespace {

// The downloaded data kept on disk, so the frame header is found however long a tag precedes it.
class TemporaryCopy {
public:
    explicit TemporaryCopy(bool wanted) {
        if (!wanted) return;
        path_ = TempFolder() + "/ITemp-XXXXXX";
        fd_ = mkostemp(path_.data(), O_CLOEXEC);
        if (fd_ < 0) path_.clear();  // writing goes on without it
    }
    ~TemporaryCopy() {
        Close();
        if (!path_.empty()) ::unlink(path_.c_str());
    }
    void Append(const uint8_t* data, size_t size) {
        while (fd_ >= 0 && size > 0) {
            ssize_t n = ::write(fd_, data, size);
            if (n < 0 && errno == EINTR) continue;
            if (n <= 0) {
                Close();
                return;
            }
            data += n;
            size -= size_t(n);
        }
    }
    uint32_t FrameHeader() {
        Close();
        return path_.empty() ? 0 : ProbeMpegFile(path_);
    }

private:
    void Close() {
        if (fd_ >= 0) ::close(fd_);
        fd_ = -1;
    }
    std::string path_;
    int fd_ = -1;
};

// Gathers the pieces of the answer into whole chunks and hands each over.
class ChunkSink final : public HttpSink {
public:
    ChunkSink(TransferRecord& record, TemporaryCopy& copy) : record_(record), copy_(copy) {}
    void OnResponse(int64_t contentLength) override {
        record_.total = contentLength;
        record_.produced = 0;
    }
    bool OnData(const uint8_t* data, size_t size) override {
        while (size > 0) {
            size_t take = std::min(size, kChunkBytes - filled_);
            std::copy(data, data + take, buffer_.begin() + long(filled_));
            filled_ += take;
            data += take;
            size -= take;
            if (filled_ == kChunkBytes && !Flush()) return false;
        }
        return !record_.cancel.IsSet();
    }
    // Hands over what is gathered; false when cancelled meanwhile.
    bool Flush() {
        if (filled_ == 0) return true;
        if (!record_.WaitForRoom()) return false;
        copy_.Append(buffer_.data(), filled_);
        produced_ += int64_t(filled_);
        record_.HandOver(buffer_.data(), filled_, produced_);
        filled_ = 0;
        return true;
    }

private:
    TransferRecord& record_;
    TemporaryCopy& copy_;
    std::vector<uint8_t> buffer_ = std::vector<uint8_t>(kChunkBytes);
    size_t filled_ = 0;
    int64_t produced_ = 0;
};

void Produce(TransferRecord& record, const HttpProducerOptions& options) {
    TemporaryCopy copy(options.findFrameHeader);
    ChunkSink sink(record, copy);
    HttpGetOptions get;
    get.proxy = options.proxy;
    get.clock = options.clock;
    get.stallLimit = options.stallLimit;
    get.cancelled = [&] { return record.cancel.IsSet(); };
    HttpResult result = HttpGet(record.source, sink, get);
    switch (result.outcome) {
    case HttpOutcome::Ok:
        if (!sink.Flush()) return;
        if (options.findFrameHeader) record.headerWord = copy.FrameHeader();
        record.HandOverEnd();
        return;
    case HttpOutcome::Status:
        // Nothing was handed over: the consumer sees an empty file.
        record.HandOverEnd();
        return;
    case HttpOutcome::Failed:
        record.HandOverFailure();
        return;
    case HttpOutcome::Cancelled:
        return;
    }
}

}  // namespace

void HttpProducer(TransferRecord& record, const HttpProducerOptions& options) {
    Produce(record, options);
    record.Finish();
}

}  // namespace zanto
