#include "memview/link/VirtualPlayer.h"

#include <unistd.h>

#include <algorithm>
#include <cstring>
#include <sstream>

#include "common/Paths.h"

namespace zanto {

namespace {

constexpr uint8_t kMakerCode = 0x5A;
constexpr uint8_t kStatusOk = 0xC0;        // writable, ready
constexpr uint8_t kStatusFail = 0xC1;      // writable, ready, operation failed
constexpr uint8_t kStatusProtected = 0x40; // ready, refuses writing

bool CodesFit(const std::vector<uint8_t>& codes, size_t positions, std::string* error) {
    if (codes.size() > positions) {
        if (error) *error = "at most " + std::to_string(positions) + " chips";
        return false;
    }
    for (uint8_t c : codes) {
        if (c != 0 && !FindChipKind(c)) {
            char hex[8];
            std::snprintf(hex, sizeof hex, "0x%02X", c);
            if (error) *error = std::string("unknown chip code ") + hex + " (known: 0xE6, 0x73, 0x75)";
            return false;
        }
    }
    return true;
}

std::array<uint8_t, kChipPositions> ToPositions(const std::vector<uint8_t>& codes) {
    std::array<uint8_t, kChipPositions> out{};
    for (size_t i = 0; i < codes.size() && i < kChipPositions; ++i) out[i] = codes[i];
    return out;
}

}  // namespace

bool VirtualPlayer::Create(const std::string& folder, const std::vector<uint8_t>& internalCodes,
                           const std::optional<std::vector<uint8_t>>& cardCodes,
                           std::string* error) {
    if (!CodesFit(internalCodes, ChipPositions(MemoryType::Internal), error)) return false;
    if (cardCodes && !CodesFit(*cardCodes, ChipPositions(MemoryType::Card), error)) return false;
    if (!MakeFolders(folder)) {
        if (error) *error = folder + ": cannot create the folder";
        return false;
    }
    if (!VirtualFlashImage::Create(folder + "/" + kInternalImageName, MemoryType::Internal,
                                   ToPositions(internalCodes), error))
        return false;
    const std::string card = folder + "/" + kCardImageName;
    if (cardCodes)
        return VirtualFlashImage::Create(card, MemoryType::Card, ToPositions(*cardCodes), error);
    ::unlink(card.c_str());
    return true;
}

VirtualPlayer::VirtualPlayer(const std::string& folder, Clock& clock)
    : folder_(folder), clock_(clock) {
    std::memset(programBuffer_, 0xFF, sizeof programBuffer_);
    if (!internal_.Open(folder + "/" + kInternalImageName, MemoryType::Internal, &openError_))
        return;
    const std::string card = folder + "/" + kCardImageName;
    if (::access(card.c_str(), F_OK) == 0 && !card_.Open(card, MemoryType::Card, &openError_))
        internal_.Close();
    UpdateAnswering();
}

VirtualPlayer::~VirtualPlayer() = default;

void VirtualPlayer::OnControl(uint8_t previous, uint8_t now) {
    // The command strobe is taken when it ends; the data strobe by its edges.
    if ((previous & 0x08) && !(now & 0x08)) OnCommand(data_);
    if (!((previous ^ now) & 0x04)) return;
    switch (mode_) {
    case Mode::Fast: OnFastByte(data_); break;
    case Mode::Write:
        if (now & 0x04) OnDataByte(data_);
        break;
    case Mode::Read:
        if (!(now & 0x04)) {
            const uint8_t b = NextOutputByte();
            status_ = StatusOfNibble(b >> 4);
            lowStatus_ = StatusOfNibble(b & 0x0F);
        } else {
            status_ = lowStatus_;
        }
        break;
    case Mode::Idle: break;
    }
}

void VirtualPlayer::OnCommand(uint8_t command) {
    expect_ = Expect::None;
    pageStream_ = false;
    switch (command) {
    case 0xA0:
        mode_ = Mode::Read;
        source_ = Source::Flash;
        if (flashCommand_ == 0x00) {
            size_t position = 0;
            VirtualFlashImage* chip = SelectedChip(position);
            readBase_ = chip ? chip->Page(position, readPage_) : nullptr;
            pageStream_ = greeted_ && readBase_ && !speedLimit_;
        }
        break;
    case 0xA1: mode_ = Mode::Write; expect_ = Expect::FlashCommand; break;
    case 0xA2:
        mode_ = Mode::Write;
        expect_ = Expect::Address;
        addressCount_ = 0;
        break;
    case 0xA3:
        mode_ = Mode::Fast;
        programFill_ = addressCount_ > 0 ? address_[0] : 0;
        break;
    case 0xA8: mode_ = Mode::Read; source_ = Source::LinkStatus; break;
    case 0xAB: mode_ = Mode::Write; expect_ = Expect::ChipSelect; break;
    case 0xAD: mode_ = Mode::Write; expect_ = Expect::Greeting1; break;
    case 0xAE: mode_ = Mode::Write; expect_ = Expect::Greeting2; break;
    default: mode_ = Mode::Idle; break;
    }
}

void VirtualPlayer::OnDataByte(uint8_t byte) {
    switch (expect_) {
    case Expect::ChipSelect: selected_ = byte; break;
    case Expect::Greeting1:
        if (byte == 0xFF) greeted_ = false;  // farewell
        greetingStarted_ = byte == 0x55;
        break;
    case Expect::Greeting2:
        if (byte == 0xAA && greetingStarted_ && !greetingRefused_) greeted_ = true;
        greetingStarted_ = false;
        break;
    case Expect::FlashCommand: OnFlashCommand(byte); break;
    case Expect::Address: OnAddressByte(byte); break;
    case Expect::None: break;
    }
}

void VirtualPlayer::OnFastByte(uint8_t byte) {
    if (programFill_ < kPageRawSize) programBuffer_[programFill_++] = byte;
    if (speedLimit_) Pace(1);
}

void VirtualPlayer::OnFlashCommand(uint8_t command) {
    // Until the host has greeted, the player passes nothing to its chips.
    if (!greeted_) return;
    switch (command) {
    case 0x90:
    case 0x00:
    case 0x60:
        flashCommand_ = command;
        addressCount_ = 0;
        idIndex_ = 0;
        break;
    case 0x80:
        flashCommand_ = command;
        addressCount_ = 0;
        programFill_ = 0;
        std::memset(programBuffer_, 0xFF, sizeof programBuffer_);
        break;
    case 0x10:
        if (flashCommand_ == 0x80 && addressCount_ >= 3) Program();
        flashCommand_ = 0xFF;
        break;
    case 0xD0:
        if (flashCommand_ == 0x60 && addressCount_ >= 2) Erase();
        flashCommand_ = 0xFF;
        break;
    case 0x70: flashCommand_ = command; break;
    default: flashCommand_ = 0xFF; break;
    }
}

void VirtualPlayer::OnAddressByte(uint8_t byte) {
    if (addressCount_ < 3) address_[addressCount_++] = byte;
    if (flashCommand_ == 0x00 && addressCount_ == 3) {
        readColumn_ = address_[0];
        readPage_ = static_cast<uint32_t>(address_[1] | (address_[2] << 8));
    }
}

uint8_t VirtualPlayer::NextOutputByte() {
    if (source_ == Source::LinkStatus) return greeted_ ? 0x0A : 0x0C;
    if (!greeted_) return 0xFF;
    switch (flashCommand_) {
    case 0x00: {
        if (!readBase_) return 0xFF;
        const uint8_t b = readBase_[readColumn_];
        if (++readColumn_ == kPageRawSize) {
            // Reading on past the page continues with the next one, as NAND does.
            readColumn_ = 0;
            size_t position = 0;
            VirtualFlashImage* chip = SelectedChip(position);
            readBase_ = chip ? chip->Page(position, ++readPage_) : nullptr;
        }
        if (speedLimit_) Pace(1);
        return b;
    }
    case 0x90: {
        size_t position = 0;
        VirtualFlashImage* chip = SelectedChip(position);
        if (!chip) return 0xFF;
        const int index = idIndex_++;
        return index == 0 ? kMakerCode : index == 1 ? chip->Code(position) : 0xFF;
    }
    case 0x70: {
        size_t position = 0;
        return SelectedChip(position) ? flashStatus_ : 0xFF;
    }
    default: return 0xFF;
    }
}

VirtualFlashImage* VirtualPlayer::SelectedChip(size_t& position) {
    VirtualFlashImage* image = nullptr;
    if (selected_ < 4) {
        image = &internal_;
        position = selected_;
    } else if (selected_ < 6 && CardPresent()) {
        image = &card_;
        position = selected_ - 4u;
    }
    if (!image || !image->IsOpen() || image->Code(position) == 0) return nullptr;
    return image;
}

uint16_t VirtualPlayer::SelectedLogicalBlock(uint32_t page) const {
    const VirtualFlashImage& image = selected_ >= 4 ? card_ : internal_;
    const size_t position = selected_ >= 4 ? selected_ - 4u : selected_;
    uint32_t before = 0;
    for (size_t p = 0; p < position; ++p)
        if (const ChipKind* k = FindChipKind(image.Code(p))) before += k->blocks;
    return static_cast<uint16_t>(before + page / kPagesPerBlock);
}

bool VirtualPlayer::InFaultSet(const std::set<std::pair<MemoryType, uint16_t>>& set,
                               uint32_t page) const {
    return !set.empty() && set.count({SelectedMemory(), SelectedLogicalBlock(page)}) > 0;
}

void VirtualPlayer::Program() {
    size_t position = 0;
    VirtualFlashImage* chip = SelectedChip(position);
    if (!chip) return;
    const uint32_t page = static_cast<uint32_t>(address_[1] | (address_[2] << 8));
    const uint32_t column = address_[0];
    uint8_t* target = chip->Page(position, page);
    if (writeProtected_) {
        flashStatus_ = kStatusProtected;
        return;
    }
    if (!target || InFaultSet(programFails_, page)) {
        flashStatus_ = kStatusFail;
        return;
    }
    flashStatus_ = kStatusOk;
    if (!verifyFails_.empty()) {
        auto it = verifyFails_.find({SelectedMemory(), SelectedLogicalBlock(page)});
        if (it != verifyFails_.end() && it->second.times > 0 &&
            static_cast<uint32_t>(it->second.page) == page % kPagesPerBlock) {
            --it->second.times;
            return;  // reports success, programs nothing
        }
    }
    // Programming can only clear bits.
    for (uint32_t i = column; i < kPageRawSize; ++i) target[i] &= programBuffer_[i];
}

void VirtualPlayer::Erase() {
    size_t position = 0;
    VirtualFlashImage* chip = SelectedChip(position);
    if (!chip) return;
    const uint32_t page = static_cast<uint32_t>(address_[0] | (address_[1] << 8));
    const ChipKind* kind = FindChipKind(chip->Code(position));
    if (writeProtected_) {
        flashStatus_ = kStatusProtected;
        return;
    }
    if (!kind || page >= chip->PageCount(position) || InFaultSet(eraseFails_, page)) {
        flashStatus_ = kStatusFail;
        return;
    }
    const uint32_t first = page / kind->pagesPerUnit * kind->pagesPerUnit;
    for (uint32_t p = first; p < first + kind->pagesPerUnit; ++p)
        std::memset(chip->Page(position, p), 0xFF, kPageRawSize);
    flashStatus_ = kStatusOk;
}

bool VirtualPlayer::MarkFactoryBad(MemoryType memory, uint16_t block) {
    VirtualFlashImage& image = Image(memory);
    size_t position = 0;
    uint16_t inChip = 0;
    if (!image.IsOpen() || !image.Locate(block, position, inChip)) return false;
    const ChipKind* kind = FindChipKind(image.Code(position));
    for (uint32_t u = 0; u < kind->unitsPerBlock; ++u) {
        for (uint32_t k = 0; k < 2; ++k) {
            uint8_t* page = image.Page(position, inChip * 64u + u * kind->pagesPerUnit + k);
            page[kPageDataSize + 5] = 0x00;
        }
    }
    return true;
}

uint8_t* VirtualPlayer::BlockPage(MemoryType memory, uint16_t block, size_t page) {
    VirtualFlashImage& image = Image(memory);
    size_t position = 0;
    uint16_t inChip = 0;
    if (page >= kPagesPerBlock || !image.IsOpen() || !image.Locate(block, position, inChip))
        return nullptr;
    return image.Page(position, inChip * 64u + static_cast<uint32_t>(page));
}

bool VirtualPlayer::ApplyFaults(const std::string& text, std::string* error) {
    struct Step {
        std::string verb;
        MemoryType memory = MemoryType::Internal;
        unsigned long long a = 0, b = 0, c = 63;
    };
    std::vector<Step> steps;
    std::istringstream lines(text);
    std::string line;
    int number = 0;
    while (std::getline(lines, line)) {
        ++number;
        line = line.substr(0, line.find('#'));
        std::istringstream words(line);
        Step step;
        if (!(words >> step.verb)) continue;
        auto fail = [&](const std::string& why) {
            if (error) *error = "line " + std::to_string(number) + ": " + why;
            return false;
        };
        const bool onBlock = step.verb == "bad" || step.verb == "erase-fail" ||
                             step.verb == "program-fail" || step.verb == "verify-fail";
        const bool counted = step.verb == "disconnect-after" || step.verb == "power-cut-after";
        const bool flag = step.verb == "ready-stuck" || step.verb == "write-protect" ||
                          step.verb == "refuse-greeting" || step.verb == "card-removed";
        if (!onBlock && !counted && !flag) return fail("unknown fault '" + step.verb + "'");
        if (onBlock) {
            std::string memory;
            if (!(words >> memory >> step.a) || (memory != "internal" && memory != "card") ||
                step.a >= kBlockLimit)
                return fail("expected: " + step.verb + " internal|card BLOCK");
            step.memory = memory == "card" ? MemoryType::Card : MemoryType::Internal;
            if (step.verb == "verify-fail") {
                if (!(words >> step.b)) return fail("expected: verify-fail MEMORY BLOCK TIMES [PAGE]");
                if (!(words >> step.c)) step.c = 63;
                if (step.c >= kPagesPerBlock || step.b > 1000000) return fail("page or count out of range");
            }
        } else if (counted && !(words >> step.a)) {
            return fail("expected: " + step.verb + " N");
        }
        std::string extra;
        if (words >> extra) return fail("unexpected '" + extra + "'");
        steps.push_back(step);
    }
    for (const auto& s : steps) {
        const auto block = static_cast<uint16_t>(s.a);
        if (s.verb == "bad") MarkFactoryBad(s.memory, block);
        else if (s.verb == "erase-fail") FailErase(s.memory, block);
        else if (s.verb == "program-fail") FailProgram(s.memory, block);
        else if (s.verb == "verify-fail") FailVerify(s.memory, block, static_cast<int>(s.b), static_cast<int>(s.c));
        else if (s.verb == "ready-stuck") SetReadyStuck(true);
        else if (s.verb == "write-protect") SetWriteProtected(true);
        else if (s.verb == "refuse-greeting") SetGreetingRefused(true);
        else if (s.verb == "card-removed") SetCardRemoved(true);
        else if (s.verb == "disconnect-after") DisconnectAfter(s.a);
        else if (s.verb == "power-cut-after") PowerCutAfter(s.a);
    }
    return true;
}

void VirtualPlayer::ClearFaults() {
    eraseFails_.clear();
    programFails_.clear();
    verifyFails_.clear();
    readyBit_ = 0x08;
    writeProtected_ = greetingRefused_ = cardRemoved_ = false;
    Reconnect();
}

void VirtualPlayer::DisconnectAfter(uint64_t operations) {
    deadAt_ = reads_ + writes_ + operations;
    powerCut_ = false;
}

void VirtualPlayer::PowerCutAfter(uint64_t operations) {
    deadAt_ = reads_ + writes_ + operations;
    powerCut_ = true;
}

void VirtualPlayer::ResetCounters() {
    // A pending disconnection keeps counting from where it stands.
    if (deadAt_ != UINT64_MAX) deadAt_ -= std::min(deadAt_, reads_ + writes_);
    reads_ = writes_ = 0;
}

void VirtualPlayer::Die() {
    dead_ = true;
    UpdateAnswering();
    // A player without power forgets its greeting and any page it had not yet programmed; one
    // whose cable is pulled keeps its state.
    if (powerCut_) ResetLinkState();
}

void VirtualPlayer::Reconnect() {
    if (powerCut_) ResetLinkState();
    dead_ = false;
    powerCut_ = false;
    deadAt_ = UINT64_MAX;
    UpdateAnswering();
}

void VirtualPlayer::ResetLinkState() {
    mode_ = Mode::Idle;
    expect_ = Expect::None;
    source_ = Source::None;
    greeted_ = greetingStarted_ = false;
    selected_ = 0xFF;
    flashCommand_ = 0xFF;
    addressCount_ = 0;
    programFill_ = 0;
    readBase_ = nullptr;
    pageStream_ = false;
    status_ = 0;
    flashStatus_ = kStatusOk;
}

void VirtualPlayer::SetSpeedLimit(uint64_t bytesPerSecond) {
    speedLimit_ = bytesPerSecond;
    pacedBytes_ = 0;
    pageStream_ = false;
}

void VirtualPlayer::Pace(size_t bytes) {
    if (pacedBytes_ == 0) paceStart_ = clock_.Now();
    pacedBytes_ += bytes;
    if (pacedBytes_ % 512 != 0) return;
    const auto now = clock_.Now();
    const auto due = paceStart_ + std::chrono::nanoseconds(pacedBytes_ * 1000000000ull / speedLimit_);
    if (due > now) {
        clock_.Sleep(due - now);
    } else if (now - due > std::chrono::milliseconds(100)) {
        pacedBytes_ = 0;  // after a pause, start a fresh measure instead of racing to catch up
    }
}

}  // namespace zanto
