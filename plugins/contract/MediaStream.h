#pragma once
// The stream a host lends to a decoder plug-in. Part of the binary contract between hosts and
// plug-ins (Linux x86-64, Itanium C++ ABI): the order of the virtual functions is fixed, so new
// operations may never be inserted. The base keeps the path in a plain array, so the object's
// layout does not depend on any library's types.
#include <cstdint>
#include <cstring>

class CMediaStream {
public:
    CMediaStream() { m_path[0] = '\0'; }
    virtual ~CMediaStream() {}
    virtual uint32_t SeekToEnd() = 0;
    virtual void SeekToBegin() = 0;
    virtual uint32_t GetPosition() = 0;
    virtual int32_t Seek(int32_t offset, int32_t origin) = 0;  // 0 begin, 1 current, 2 end
    virtual uint32_t GetLength() = 0;
    virtual uint32_t Read(void* buffer, uint32_t count) = 0;
    // Records the path (UTF-8); succeeds.
    virtual int32_t Open(const char* path) {
        std::strncpy(m_path, path ? path : "", sizeof m_path - 1);
        m_path[sizeof m_path - 1] = '\0';
        return 1;
    }
    virtual const char* GetPath() { return m_path; }
    virtual void Abort() = 0;
    virtual void Flush() = 0;
    virtual void Close() = 0;

    CMediaStream(const CMediaStream&) = delete;
    CMediaStream& operator=(const CMediaStream&) = delete;

protected:
    char m_path[4096];
};
