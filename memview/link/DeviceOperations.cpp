// The device operations that frame their own link: refresh, commit, initialize, convert and the
// format check.
#include <cstring>

#include "memview/link/MemoryDevice.h"
#include "memview/link/ProgressSink.h"

namespace zanto {

template <typename Body>
bool MemoryDevice::Framed(Body body) {
    if (OpenLink() && IdentifyChips()) body();
    CloseLink();
    return lastError_ == DeviceError::None;
}

void MemoryDevice::PostProgress(ProgressSink* sink, int percent) {
    progress_.store(percent);
    if (sink) sink->PostProgress(percent);
}

namespace {

// (i + 1) x 100 / total, multiplied first and rounded to the nearest percent.
int ScanPercent(uint32_t i, uint32_t total) {
    return total == 0 ? 100 : static_cast<int>(((i + 1) * 200 + total) / (2 * total));
}

}  // namespace

bool MemoryDevice::Refresh() {
    return Framed([&] {
        ReadDirectory(*image_);
        image_->SetChanged(false);
    });
}

bool MemoryDevice::Commit() {
    cancelEvent_.Reset();
    return Framed([&] {
        if (!CompareDirectory()) {
            lastError_ = DeviceError::ViewMismatch;
            return;
        }
        lastError_ = DeviceError::None;
        CommitImage();
    });
}

bool MemoryDevice::InitializeQuick(ProgressSink* progress) {
    cancelEvent_.Reset();
    return Framed([&] {
        PostProgress(progress, 100);
        MakeEmptyDirectory(*image_);
        WriteDirectory(*image_);
        image_->SetChanged(false);
    });
}

bool MemoryDevice::InitializeWithScan(ProgressSink* progress) {
    cancelEvent_.Reset();
    return Framed([&] {
        // A cleared map, so no bad mark of the old directory is carried over.
        image_->Fill(0);
        MakeEmptyDirectory(*image_);
        const uint32_t total = TotalBlocks();
        for (uint32_t i = 0; i < total; ++i) {
            if (cancelEvent_.IsSet()) {
                lastError_ = DeviceError::Cancelled;
                return;
            }
            PostProgress(progress, ScanPercent(i, total));
            const BlockAddress address = AddressOf(static_cast<uint16_t>(i));
            if (!Probe()) {
                lastError_ = DeviceError::NotConnected;
                return;
            }
            if (IsGoodBlock(address)) continue;
            if (lastError_ != DeviceError::None) return;
            image_->MarkBad(i);
        }
        WriteDirectory(*image_);
        image_->SetChanged(false);
    });
}

bool MemoryDevice::ConvertFormat(ProgressSink* progress) {
    cancelEvent_.Reset();
    return Framed([&] {
        if (ReadDirectory(*image_)) return;  // already the current format
        const ConversionStart start = PlanConversion(lastError_, versionRead_);
        if (!start.applies) return;  // the read's error stands
        lastError_ = DeviceError::None;
        if (start.wipeEntries) std::memset(image_->Bytes(), 0xFF, kUsageMapOffset);

        // An empty directory that still reads as older format, so an interruption can be
        // converted again.
        MakeEmptyDirectory(*image_);
        image_->SetVersion(start.interimVersion);
        if (!CommitImage()) return;

        const uint32_t total = TotalBlocks();
        for (uint32_t i = 1; i < total; ++i) {
            if (i == image_->DirectoryBlock()) continue;
            if (cancelEvent_.IsSet()) {
                lastError_ = DeviceError::Cancelled;
                return;
            }
            PostProgress(progress, static_cast<int>((i + 1) * 100 / total));
            if (!Probe()) {
                lastError_ = DeviceError::NotConnected;
                return;
            }
            const uint8_t value = image_->Usage(i) == kBlockBad ? 0x00 : 0xFF;
            FillBlock(AddressOf(static_cast<uint16_t>(i)), value);
        }
        FillBlock(AddressOf(image_->DirectoryBlock()), 0xFF);
        MakeEmptyDirectory(*image_);
        CommitImage();
        image_->SetChanged(false);
    });
}

bool MemoryDevice::CheckFormat(FormatState* state) {
    FormatState found = FormatState::Unknown;
    if (OpenLink() && IdentifyChips()) {
        if (ReadDirectory(*image_)) {
            found = FormatState::Formatted;
        } else if (lastError_ == DeviceError::UnsupportedVersion && versionRead_ < kFormatVersion) {
            found = FormatState::OlderFormat;
        } else if (memoryType_ == MemoryType::Internal) {
            found = FormatState::NeedsScan;
        } else {
            uint8_t* bytes = image_->Bytes();
            image_->Fill(0xFF);
            ReadBlockRetry(0, bytes, false);
            found = ClassifyUncheckedHeader(*image_, TotalBlocks());
            if (found != FormatState::Unknown) {
                versionRead_ = image_->Version();
            } else if (HasCardSignature(bytes)) {
                found = FormatState::OtherEquipment;
            } else {
                std::memset(bytes, 0, 255);
                ReadBlockRetry(1, bytes, false);
                if (HasCardSignature(bytes)) found = FormatState::OtherEquipment;
            }
        }
        // The state says what was found; a read error on the way is no failure of the check.
        if (found != FormatState::Unknown) lastError_ = DeviceError::None;
        image_->SetChanged(false);
    }
    CloseLink();
    if (state) *state = found;
    return found != FormatState::Unknown;
}

}  // namespace zanto
