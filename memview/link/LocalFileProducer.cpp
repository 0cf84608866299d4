#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <vector>

#include "memview/link/Producers.h"

namespace zanto {

namespace {

class FileReader final : public SourceReader {
public:
    explicit FileReader(int fd) : fd_(fd) {}
    ~FileReader() override { ::close(fd_); }
    int64_t Size() override {
        struct stat st{};
        if (fstat(fd_, &st) != 0 || !S_ISREG(st.st_mode)) return -1;
        return st.st_size;
    }
    long Read(uint8_t* buffer, size_t size) override {
        size_t got = 0;
        while (got < size) {
            ssize_t n = ::read(fd_, buffer + got, size - got);
            if (n < 0 && errno == EINTR) continue;
            if (n < 0) return -1;
            if (n == 0) break;
            got += size_t(n);
        }
        return long(got);
    }

private:
    int fd_;
};

}  // namespace

std::unique_ptr<SourceReader> OpenSourceFile(const std::string& path) {
    int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC);
    if (fd < 0) return nullptr;
    struct stat st{};
    if (fstat(fd, &st) != 0 || S_ISDIR(st.st_mode)) {
        ::close(fd);
        return nullptr;
    }
    return std::make_unique<FileReader>(fd);
}

void LocalFileProducer(TransferRecord& record, const SourceOpener& open) {
    std::unique_ptr<SourceReader> reader = open ? open(record.source) : OpenSourceFile(record.source);
    if (!reader) {
        record.HandOverFailure();
        record.Finish();
        return;
    }
    record.total = reader->Size();
    std::vector<uint8_t> buffer(kChunkBytes);
    int64_t produced = 0;
    while (!record.cancel.IsSet()) {
        // The next chunk is read while the consumer still writes the previous one.
        long n = reader->Read(buffer.data(), buffer.size());
        if (n < 0 || (n == 0 && record.total >= 0 && produced < record.total)) {
            // A read error, or a file cut short while it was read: not the file that was added.
            record.HandOverFailure();
            break;
        }
        if (n == 0) {
            record.HandOverEnd();
            break;
        }
        if (!record.WaitForRoom()) break;
        produced += n;
        record.HandOver(buffer.data(), size_t(n), produced);
    }
    record.Finish();
}

}  // namespace zanto
