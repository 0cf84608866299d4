#pragma once
// The stream a host creates for one media file and lends to the plug-ins. Opens the file for
// reading and keeps writers out for as long as it is open (a shared advisory lock); every failed
// file operation throws zanto::FileError. Positions and lengths are 32-bit as the contract states:
// a file of 4 GiB or more reports its length clamped to 0xFFFFFFFF.
#include "common/stream/FileError.h"
#include "plugins/contract/MediaStream.h"

class CMediaFileStream : public CMediaStream {
public:
    CMediaFileStream() = default;
    ~CMediaFileStream() override;

    uint32_t SeekToEnd() override;
    void SeekToBegin() override;
    uint32_t GetPosition() override;
    int32_t Seek(int32_t offset, int32_t origin) override;
    uint32_t GetLength() override;
    uint32_t Read(void* buffer, uint32_t count) override;
    // Records the path, then opens the file; 0 when it cannot be opened (no exception).
    int32_t Open(const char* path) override;
    void Abort() override;
    void Flush() override;
    void Close() override;

    bool IsOpen() const { return fd_ >= 0; }
    // errno of the last failed Open, 0 after a successful one.
    int OpenError() const { return openError_; }

private:
    int Fd() const;  // throws EBADF when closed
    int fd_ = -1;
    int openError_ = 0;
};
