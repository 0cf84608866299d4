#pragma once
// The object through which everything talks to one memory of the player (internal memory or the
// card): the port and the link, the link protocol from the byte up to the 32-KB block, and the
// device operations on the player's directory.
#include <array>
#include <atomic>
#include <cstdint>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <typeinfo>

#include "common/Clock.h"
#include "memview/link/DeviceError.h"
#include "memview/link/DirectoryImage.h"
#include "memview/link/FlashGeometry.h"
#include "memview/link/FormatCheck.h"
#include "memview/link/ManualResetEvent.h"
#include "memview/link/PortDriver.h"
#include "memview/link/PortValue.h"
#include "memview/link/ProgressSink.h"

namespace zanto {

// Read-back after a block write: none, page 63 only (default), or every page.
enum class VerifyMode : uint8_t { None = 0, Quick = 1, Full = 2 };

// Port register offsets from the base.
inline constexpr uint16_t kDataRegister = 0;
inline constexpr uint16_t kStatusRegister = 1;
inline constexpr uint16_t kControlRegister = 2;
inline constexpr uint16_t kEcpControlRegister = 0x402;  // ECP extended control (kind 1 only)

// Control register bits and status bits of the link.
inline constexpr uint8_t kDataStrobe = 0x04;
inline constexpr uint8_t kCommandStrobe = 0x08;
inline constexpr uint8_t kStatusReady = 0x08;

class MemoryDevice {
public:
    // The device talks through the driver's registers and takes its time from the clock. Both
    // must outlive it.
    explicit MemoryDevice(PortDriver& driver = ProcessPortDriver(),
                          Clock& clock = Clock::System());
    virtual ~MemoryDevice();
    MemoryDevice(const MemoryDevice&) = delete;
    MemoryDevice& operator=(const MemoryDevice&) = delete;

    // The two register operations; a subclass may route them elsewhere. Offsets are added to the
    // port base with 16-bit wrap-around. Writing always reports success.
    virtual uint8_t ReadRegister(uint16_t offset);
    virtual bool WriteRegister(uint16_t offset, uint8_t value);

    // ---- Port and link -------------------------------------------------------------------
    // Stores the port only while no error is pending; returns whether none is.
    bool SetPort(PortValue port);
    PortValue Port() const { return (static_cast<PortValue>(portKind_) << 16) | portBase_; }
    uint16_t PortBase() const { return portBase_; }
    uint16_t PortKind() const { return portKind_; }
    // Returns the previous type.
    MemoryType SetMemoryType(MemoryType type);
    MemoryType GetMemoryType() const { return memoryType_; }

    // Start and end of every device operation. CloseLink is called even when OpenLink failed.
    bool OpenLink();
    bool CloseLink();
    bool HoldsAcquisition() const { return holdsAcquisition_; }
    int64_t LastLinkEnd() const { return lastLinkEnd_; }  // calendar seconds

    DeviceError LastError() const { return lastError_; }
    void SetLastError(DeviceError error) { lastError_ = error; }
    void ClearError() { lastError_ = DeviceError::None; }
    const char* LastErrorText() const { return DeviceErrorText(lastError_); }

    Clock& GetClock() { return clock_; }
    PortDriver& Driver() { return driver_; }

    // ---- Byte level ----------------------------------------------------------------------
    void SendCommand(uint8_t command);
    void SendData(uint8_t data);
    void SendDataFast(uint8_t data);  // one strobe edge per byte
    uint8_t ReadByte();
    void ResetLink();                 // control = data strobe only
    bool WaitReady();                 // Timeout after 1000 ms
    uint8_t ControlShadow() const { return control_; }

    // ---- Link level ----------------------------------------------------------------------
    bool Probe();     // true when a player answers (link status 0xA or 0xC)
    bool Greet();     // true when the greeting is answered with 0xA
    void Farewell();
    bool IdentifyChips();  // builds the chip table; NoFlash when nothing answers
    const ChipTable& Chips() const { return chips_; }
    uint16_t TotalBlocks() const { return chips_.totalBlocks; }
    // For tests and tools that know the chips already (the table of the last identification).
    void SetChips(const ChipTable& chips) { chips_ = chips; }
    BlockAddress AddressOf(uint16_t block) const {
        return BuildBlockAddress(chips_, memoryType_, block);
    }
    // The chip-select code of the position an address names.
    uint8_t ChipSelectOf(const BlockAddress& address) const;

    // ---- Flash level (address: a block address advanced to the wanted page) -------------------
    bool EraseUnit(uint8_t chip, const BlockAddress& address);
    bool ReadPage(uint8_t chip, const BlockAddress& address, uint8_t* data, uint8_t* spareOut,
                  bool check);
    // Stores the data's checksum into spare bytes 12-13 before programming.
    bool ProgramPage(uint8_t chip, const BlockAddress& address, const uint8_t* data,
                     uint8_t* spare);

    // ---- Block level (logical block numbers of the memory) -----------------------------------
    bool ReadBlock(uint16_t block, uint8_t* buffer, bool check);
    // previous and next: the file's neighbouring blocks, kNoNeighbour for none.
    bool WriteBlock(uint16_t block, const uint8_t* data, uint16_t previous, uint16_t next);
    bool ReadBlockRetry(uint16_t block, uint8_t* buffer, bool check);
    bool WriteBlockRetry(uint16_t block, const uint8_t* data, uint16_t previous, uint16_t next);
    // Erases and programs every page with value (data and spare); always succeeds.
    bool FillBlock(const BlockAddress& address, uint8_t value);
    // False for a factory-marked bad block (error cleared) or a failed read (its error).
    bool IsGoodBlock(const BlockAddress& address);

    // Returns the previous mode.
    VerifyMode SetVerifyMode(VerifyMode mode);
    VerifyMode GetVerifyMode() const { return verifyMode_; }

    // The spare written with page 63 of a block: neighbours' addresses (checksum bytes zero).
    std::array<uint8_t, kPageSpareSize> LinkSpare(uint16_t previous, uint16_t next) const;

    // The transfer events: cancel (stop request), done (producer finished), ready (chunk waits).
    ManualResetEvent& CancelEvent() { return cancelEvent_; }
    ManualResetEvent& DoneEvent() { return doneEvent_; }
    ManualResetEvent& ReadyEvent() { return readyEvent_; }

    // ==== Device operations: declared and implemented by the directory/operations side ====
    // (Refresh, Commit, AddFile, ... live in their own .cpp files.)
    // BEGIN DEVICE OPERATIONS
    // -- Directory (inside an open link with the chips identified) --
    // Reads block 0 and, when it names one, the relocated directory block into image.
    bool ReadDirectory(DirectoryImage& image);
    // Writes image to block 0, or relocates it when block 0 is unusable. Every block-map change
    // the write makes (the directory's new block, blocks found bad, the superseded directory
    // block) is applied to mirror too, so the loaded image never hands those blocks out.
    bool WriteDirectory(DirectoryImage& image, DirectoryImage* mirror = nullptr);
    // An empty directory for the identified chips, keeping the image's bad marks.
    void MakeEmptyDirectory(DirectoryImage& image);
    // Reads the memory's directory and tells whether its checksums are those last written.
    bool CompareDirectory();
    // Writes the loaded image without its waiting entries (the transfer engine calls it inside
    // its own link after every file).
    bool CommitImage();
    // The version word of the last directory read (older format: below 0x0100).
    uint16_t VersionRead() const { return versionRead_; }

    // -- Operations that open and close the link themselves --
    bool Refresh();
    bool Commit();
    bool InitializeQuick(ProgressSink* progress = nullptr);
    bool InitializeWithScan(ProgressSink* progress = nullptr);
    bool ConvertFormat(ProgressSink* progress = nullptr);
    // Reads the directory into the loaded image and classifies the memory; true for states 0..4.
    bool CheckFormat(FormatState* state);

    // -- Operations inside a link opened by the caller --
    // Writes one file block at block (moved on when it turns out bad); with next, the block
    // chosen for the following data is returned there and named in this block's link page.
    bool WriteChainBlock(uint16_t& block, const uint8_t* data, uint16_t* next);
    bool ReadFileToPath(int index, const std::string& path, ProgressSink* progress = nullptr);

    // -- Operations on the loaded image only --
    // A local file (or an "http://" or "https://" address) as a waiting entry; its index or -1.
    int AddFile(const std::string& pathOrAddress);
    int AddEntry(const std::string& name, uint32_t header, uint32_t size, EntryState state);
    bool RenameEntry(int index, const std::string& name);
    void DeleteEntry(int index);
    bool SwapEntries(int a, int b);
    bool MoveEntry(int from, int to);
    // The file's first MPEG frame header; below 0xFFF00000 when it is not MPEG audio.
    static uint32_t FindFrameHeader(const std::string& path);

    // -- Queries --
    int PlayCount() const;
    int DataCount() const;
    std::optional<FileEntry> Entry(int index) const;
    uint8_t EntryStateOf(int index) const;  // 0xFF for an invalid index
    std::optional<uint32_t> HostSlot(int index) const;
    bool SetHostSlot(int index, uint32_t slot);
    DirectoryImage& Image() { return *image_; }
    const DirectoryImage& Image() const { return *image_; }
    bool ImageChanged() const { return image_->Changed(); }
    // The last percent an operation reported (0 when none runs).
    int Progress() const { return progress_.load(); }
    // Keeps the percent for Progress() and passes it to the sink, if any.
    void PostProgress(ProgressSink* sink, int percent);
    // Cleared while another program drives the window: no questions, automatic answers.
    bool ShowErrors() const { return showErrors_; }
    void SetShowErrors(bool show) { showErrors_ = show; }
    // END DEVICE OPERATIONS

private:
    // Every block transfer starts so, under the block lock: a block number inside the memory,
    // a player that answers and a greeting; false with the error set (failure for a bad number).
    bool StartBlockTransfer(uint16_t block, DeviceError failure, BlockAddress& start);
    // A failed transfer other than a bad block or a cancel is tried once more after the chips
    // are identified again.
    bool RetryOnce(const std::function<bool()>& transfer);
    bool ProgramBlock(const uint8_t* data, const BlockAddress& start,
                      std::array<uint8_t, kPageSpareSize> linkSpare);
    bool VerifyBlock(const uint8_t* data, const BlockAddress& start,
                     const std::array<uint8_t, kPageSpareSize>& linkSpare);
    bool IdentifyPass();
    // The register operations as the byte level uses them: straight to the driver when no
    // subclass routes them elsewhere, which saves a virtual call on each of the ~200 000
    // register accesses of a block.
    bool DirectRegisters() {
        if (registerRoute_ == 0) registerRoute_ = typeid(*this) == typeid(MemoryDevice) ? 1 : 2;
        return registerRoute_ == 1;
    }
    uint8_t InRegister(uint16_t offset) {
        return DirectRegisters() ? driver_.ReadRegister(static_cast<uint16_t>(portBase_ + offset))
                                 : ReadRegister(offset);
    }
    void OutRegister(uint16_t offset, uint8_t value) {
        if (DirectRegisters())
            driver_.WriteRegister(static_cast<uint16_t>(portBase_ + offset), value);
        else
            WriteRegister(offset, value);
    }
    void WriteControl() { OutRegister(kControlRegister, control_); }
    void Pause(std::chrono::milliseconds ms) { clock_.Sleep(ms); }

    PortDriver& driver_;
    Clock& clock_;
    uint16_t portBase_ = 0xFFFF;
    uint16_t portKind_ = 0xFFFF;
    uint8_t savedEcp_ = 0;
    uint8_t control_ = 0;
    uint8_t registerRoute_ = 0;  // 0 not yet known, 1 straight to the driver, 2 virtual
    MemoryType memoryType_ = MemoryType::Internal;
    int64_t lastLinkEnd_;
    bool holdsAcquisition_ = false;
    DeviceError lastError_ = DeviceError::None;
    ChipTable chips_;
    VerifyMode verifyMode_ = VerifyMode::Quick;
    ManualResetEvent cancelEvent_;
    ManualResetEvent doneEvent_;
    ManualResetEvent readyEvent_;

    // ==== Device operations' state (directory/operations side) ====
    // BEGIN DEVICE OPERATIONS STATE
    template <typename Body>
    bool Framed(Body body);

    std::unique_ptr<DirectoryImage> image_ = std::make_unique<DirectoryImage>();
    std::unique_ptr<DirectoryImage> scratch_ = std::make_unique<DirectoryImage>();
    std::unique_ptr<uint8_t[]> staging_ = std::make_unique<uint8_t[]>(kBlockSize);
    std::atomic<int> progress_{0};
    uint16_t versionRead_ = 0;
    bool showErrors_ = true;
    // END DEVICE OPERATIONS STATE
};

}  // namespace zanto
