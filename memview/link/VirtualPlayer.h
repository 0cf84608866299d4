#pragma once
// The built-in virtual player: the KP50 emulated at register level behind a virtual "LPT1" at base
// 0x378. It answers the data, status and control registers exactly as the player does - strobes,
// nibbles with the inverted bit 7, the ready line, link commands with the greeting, the NAND
// command set on up to four internal and two card chips - so the host code cannot tell it from
// the player. Its memories live in files in a folder (see VirtualFlashImage.h); no card file
// means no card inserted. Faults can be injected for tests; counters record register traffic.
#include <array>
#include <cstdint>
#include <map>
#include <memory>
#include <optional>
#include <set>
#include <string>
#include <utility>
#include <vector>

#include "common/Clock.h"
#include "memview/link/FlashGeometry.h"
#include "memview/link/VirtualFlashImage.h"

namespace zanto {

namespace virtual_player_detail {
constexpr std::array<uint8_t, 16> MakeStatusTable() {
    std::array<uint8_t, 16> t{};
    for (unsigned n = 0; n < 16; ++n)
        t[n] = static_cast<uint8_t>((((n & 1) << 7) | (((n >> 1) & 1) << 6) |
                                     (((n >> 2) & 1) << 5) | (((n >> 3) & 1) << 4)) ^ 0x80);
    return t;
}
inline constexpr std::array<uint8_t, 16> kStatusOfNibble = MakeStatusTable();
}  // namespace virtual_player_detail

inline constexpr const char* kInternalImageName = "internal.flash";
inline constexpr const char* kCardImageName = "card.flash";
inline constexpr const char* kFaultsFileName = "faults";

class VirtualPlayer {
public:
    // Default chips of a new player: internal 0x75 + 0x73 (1536 blocks), card 0x75.
    static std::vector<uint8_t> DefaultInternalCodes() { return {0x75, 0x73}; }
    static std::vector<uint8_t> DefaultCardCodes() { return {0x75}; }

    // Makes the folder and writes erased images. internalCodes: up to 4 codes (0 = empty
    // position); cardCodes: up to 2, or none for no card (an old card file is removed).
    static bool Create(const std::string& folder, const std::vector<uint8_t>& internalCodes,
                       const std::optional<std::vector<uint8_t>>& cardCodes, std::string* error);

    // Opens the player kept in the folder. The clock paces the optional speed limit.
    explicit VirtualPlayer(const std::string& folder, Clock& clock = Clock::System());
    ~VirtualPlayer();
    bool IsOpen() const { return internal_.IsOpen(); }
    const std::string& OpenError() const { return openError_; }
    const std::string& Folder() const { return folder_; }

    // ---- The port's registers (offsets from the base) ----------------------------------------
    // Inline: every byte of a block costs six of these calls.
    uint8_t ReadRegister(uint16_t offset) {
        ++reads_;
        CountOperation();
        switch (offset) {
        case 0: return data_;
        case 1: return answering_ ? static_cast<uint8_t>(status_ | readyBit_) : kFloatingStatus;
        case 2: return static_cast<uint8_t>(control_ | 0xC0);
        default: return 0xFF;
        }
    }
    void WriteRegister(uint16_t offset, uint8_t value) {
        ++writes_;
        CountOperation();
        if (offset == 0) {
            data_ = value;
        } else if (offset == 2) {
            const uint8_t previous = control_;
            control_ = value;
            if (!answering_ || previous == value) return;
            if ((previous ^ value) == 0x04 && !(value & 0x08)) {
                // Only the data strobe moved: the byte streams of page reads and programs.
                if (mode_ == Mode::Read) {
                    if (value & 0x04) {
                        status_ = lowStatus_;
                    } else {
                        const uint8_t b = pageStream_ && readColumn_ + 1 < kPageRawSize
                                              ? readBase_[readColumn_++]
                                              : NextOutputByte();
                        status_ = StatusOfNibble(b >> 4);
                        lowStatus_ = StatusOfNibble(b & 0x0F);
                    }
                    return;
                }
                if (mode_ == Mode::Fast && !speedLimit_) {
                    if (programFill_ < kPageRawSize) programBuffer_[programFill_++] = data_;
                    return;
                }
            }
            OnControl(previous, value);
        }
    }

    // ---- Register traffic ------------------------------------------------------------------
    uint64_t RegisterReads() const { return reads_; }
    uint64_t RegisterWrites() const { return writes_; }
    void ResetCounters();

    // ---- Fault injection (block numbers are logical blocks of the memory) ---------------------
    // Marks a factory bad block: spare byte 5 = 0x00 in the first two pages of every erase unit.
    bool MarkFactoryBad(MemoryType memory, uint16_t block);
    void FailErase(MemoryType memory, uint16_t block) { eraseFails_.insert({memory, block}); }
    void FailProgram(MemoryType memory, uint16_t block) { programFails_.insert({memory, block}); }
    // The next `times` programs of one page of the block (by default its last page) report
    // success but leave the page as it was, so the read-back differs.
    void FailVerify(MemoryType memory, uint16_t block, int times, int page = 63) {
        verifyFails_[{memory, block}] = {times, page};
    }
    void ClearFaults();
    // Faults written as text, one a line ('#' starts a comment), for runs in another process:
    //   bad MEMORY BLOCK            erase-fail MEMORY BLOCK      program-fail MEMORY BLOCK
    //   verify-fail MEMORY BLOCK TIMES [PAGE]                    ready-stuck
    //   write-protect               refuse-greeting              card-removed
    //   disconnect-after N          power-cut-after N
    // MEMORY is "internal" or "card". False (nothing applied) with the line at fault.
    bool ApplyFaults(const std::string& text, std::string* error);
    void SetReadyStuck(bool stuck) { readyBit_ = stuck ? 0 : 0x08; }  // the ready line never rises
    void SetWriteProtected(bool on) { writeProtected_ = on; }    // status bit 7 clear
    void SetGreetingRefused(bool on) { greetingRefused_ = on; }  // link status stays 0xC
    // After this many more register operations the cable is pulled: nothing answers any more.
    void DisconnectAfter(uint64_t operations);
    // After this many more register operations the player loses power: what was programmed stays,
    // a page not yet confirmed is lost, nothing answers any more.
    void PowerCutAfter(uint64_t operations);
    // Cable back (the player kept its state) or power back (the player starts afresh).
    void Reconnect();
    bool IsDead() const { return dead_; }
    // What the host reads on the status register with nothing answering: the nibble lines float
    // high and the ready line stays low, so waits end in a time-out rather than a false answer.
    static constexpr uint8_t kFloatingStatus = 0x77;
    void SetCardRemoved(bool removed) { cardRemoved_ = removed; }
    // Payload bytes per second (page data in and out); 0 = unlimited.
    void SetSpeedLimit(uint64_t bytesPerSecond);

    // ---- Inspection ------------------------------------------------------------------------
    VirtualFlashImage& Image(MemoryType memory) {
        return memory == MemoryType::Card ? card_ : internal_;
    }
    bool CardPresent() const { return card_.IsOpen() && !cardRemoved_; }
    // The 528 bytes of page k (0..63) of a logical block, or nullptr.
    uint8_t* BlockPage(MemoryType memory, uint16_t block, size_t page);

private:
    enum class Mode : uint8_t { Idle, Write, Fast, Read };

    // A nibble as the port shows it on status bits 4..7: nibble bits 0,1,2,3 on lines 7,6,5,4,
    // and the port inverts line 7.
    static uint8_t StatusOfNibble(unsigned n) { return virtual_player_detail::kStatusOfNibble[n & 0x0F]; }
    enum class Expect : uint8_t { None, ChipSelect, Greeting1, Greeting2, FlashCommand, Address };
    enum class Source : uint8_t { None, LinkStatus, Flash };

    void OnControl(uint8_t previous, uint8_t now);
    void OnCommand(uint8_t command);
    void OnDataByte(uint8_t byte);
    void OnFastByte(uint8_t byte);
    void OnFlashCommand(uint8_t command);
    void OnAddressByte(uint8_t byte);
    uint8_t NextOutputByte();
    void Program();
    void Erase();
    // The selected chip's image and position; nullptr when it does not answer.
    VirtualFlashImage* SelectedChip(size_t& position);
    bool InFaultSet(const std::set<std::pair<MemoryType, uint16_t>>& set, uint32_t page) const;
    MemoryType SelectedMemory() const { return selected_ >= 4 ? MemoryType::Card : MemoryType::Internal; }
    uint16_t SelectedLogicalBlock(uint32_t page) const;
    void CountOperation() {
        if (reads_ + writes_ > deadAt_ && !dead_) Die();
    }
    void Die();
    void UpdateAnswering() { answering_ = !dead_ && internal_.IsOpen(); }
    void ResetLinkState();
    void Pace(size_t bytes);

    std::string folder_;
    Clock& clock_;
    std::string openError_;
    VirtualFlashImage internal_;
    VirtualFlashImage card_;

    // Port latches.
    uint8_t data_ = 0;
    uint8_t control_ = 0;
    uint8_t status_ = 0;
    uint8_t lowStatus_ = 0;   // the low nibble of the byte being read, shown at the rising edge
    bool pageStream_ = false; // A0 after a read command: page bytes flow from readBase_
    // Link state.
    Mode mode_ = Mode::Idle;
    Expect expect_ = Expect::None;
    Source source_ = Source::None;
    bool greetingStarted_ = false;
    bool greeted_ = false;
    // NAND state.
    uint8_t selected_ = 0xFF;
    uint8_t flashCommand_ = 0xFF;
    uint8_t address_[3] = {0, 0, 0};
    int addressCount_ = 0;
    uint8_t flashStatus_ = 0xC0;
    int idIndex_ = 0;
    uint32_t readPage_ = 0;
    uint32_t readColumn_ = 0;
    uint8_t* readBase_ = nullptr;  // the page being read
    uint8_t programBuffer_[kPageRawSize];
    uint32_t programFill_ = 0;
    // Faults.
    std::set<std::pair<MemoryType, uint16_t>> eraseFails_;
    std::set<std::pair<MemoryType, uint16_t>> programFails_;
    struct WeakPage {
        int times;
        int page;
    };
    std::map<std::pair<MemoryType, uint16_t>, WeakPage> verifyFails_;
    uint8_t readyBit_ = 0x08;
    bool answering_ = false;  // alive and with its memory open
    bool writeProtected_ = false;
    bool greetingRefused_ = false;
    bool cardRemoved_ = false;
    bool dead_ = false;
    bool powerCut_ = false;
    uint64_t deadAt_ = UINT64_MAX;
    // Counters and pacing.
    uint64_t reads_ = 0;
    uint64_t writes_ = 0;
    uint64_t speedLimit_ = 0;
    uint64_t pacedBytes_ = 0;
    Clock::Duration paceStart_{};
};

}  // namespace zanto
