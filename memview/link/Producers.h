#pragma once
// The producers of a file write: each runs on its own thread, hands the source over chunk by
// chunk through the TransferRecord, and ends with the record's Finish whatever happened.
#include <cstddef>
#include <functional>
#include <memory>
#include <string>

#include "common/Clock.h"
#include "memview/link/HttpClient.h"
#include "memview/link/PortDriver.h"
#include "memview/link/TransferRecord.h"

namespace zanto {

// A local file opened for reading. Reads fill the buffer unless the end comes first.
class SourceReader {
public:
    virtual ~SourceReader() = default;
    virtual int64_t Size() = 0;  // -1 when it cannot be told
    // Bytes read (0 at the end), -1 on a read error.
    virtual long Read(uint8_t* buffer, size_t size) = 0;
};
using SourceOpener = std::function<std::unique_ptr<SourceReader>(const std::string& path)>;
// Opens a file on disk (others may go on reading it); nullptr when it cannot be opened.
std::unique_ptr<SourceReader> OpenSourceFile(const std::string& path);

// The record's source is a path.
void LocalFileProducer(TransferRecord& record, const SourceOpener& open);

// The record's source is a file name of the other memory (record.sourceMemory), its count the
// player's PortValue. A device of its own reads that memory over the same port; the block lock
// keeps its transfers apart from the consumer's.
void OtherMemoryProducer(TransferRecord& record, PortDriver& driver, Clock& clock);

struct HttpProducerOptions {
    std::string proxy;  // the "proxy" setting
    Clock* clock = &Clock::System();
    Clock::Duration stallLimit = std::chrono::seconds(30);
    // Keep a copy of the data in a temporary file and store its frame header in the record (a
    // download does; a list fetch needs no header).
    bool findFrameHeader = true;
};

// The record's source is a web address.
void HttpProducer(TransferRecord& record, const HttpProducerOptions& options);

}  // namespace zanto
