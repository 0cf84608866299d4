// Reading, writing and relocating the directory block, inside a link opened by the caller.
#include <cstring>

#include "memview/link/MemoryDevice.h"

namespace zanto {

namespace {

// The lowest block free in both images and holding neither directory, so a relocated directory
// never lands on a block the loaded image has reserved for a waiting file.
uint16_t FirstFreeInBoth(const DirectoryImage& image, const DirectoryImage* mirror) {
    const uint32_t total = image.BoundedTotal();
    for (uint32_t b = 1; b < total; ++b) {
        if (image.Usage(b) != kBlockFree || b == image.DirectoryBlock()) continue;
        if (mirror && (mirror->Usage(b) != kBlockFree || b == mirror->DirectoryBlock())) continue;
        return static_cast<uint16_t>(b);
    }
    return kNoBlock;
}

// Takes every waiting entry out of both lists, freeing the blocks reserved for it.
void DropWaitingEntries(DirectoryImage& image) {
    for (int start : {0, kDataListStart}) {
        int i = start;
        while (image.IsValidIndex(i)) {
            if (IsWaitingState(image.StateOf(i))) {
                image.FreeChain(image.Entry(i)->firstBlock);
                image.RemoveFromList(i);
            } else {
                ++i;
            }
        }
    }
}

}  // namespace

bool MemoryDevice::ReadDirectory(DirectoryImage& image) {
    image.SetDirectoryBlock(0);
    if (!ReadBlockRetry(0, image.Bytes(), true)) return false;
    const uint16_t relocated = image.Relocation();
    if (relocated != kNoBlock) {
        // A word naming a block outside this memory is a damaged directory, not a block to read.
        if (relocated >= TotalBlocks()) {
            versionRead_ = image.Version();
            lastError_ = DeviceError::DirectoryChecksum;
            return false;
        }
        image.SetDirectoryBlock(relocated);
        if (relocated != 0 && !ReadBlockRetry(relocated, image.Bytes(), true)) return false;
    }
    versionRead_ = image.Version();
    const DeviceError fault = ValidateDirectory(image, TotalBlocks());
    if (fault != DeviceError::None) lastError_ = fault;
    if (image.Usage(0) == kBlockFree) image.MarkUsed(0);
    return lastError_ == DeviceError::None;
}

bool MemoryDevice::WriteDirectory(DirectoryImage& image, DirectoryImage* mirror) {
    const VerifyMode savedMode = SetVerifyMode(VerifyMode::Full);
    auto markUsed = [&](uint16_t b) {
        image.MarkUsed(b);
        if (mirror) mirror->MarkUsed(b);
    };
    auto markBad = [&](uint16_t b) {
        image.MarkBad(b);
        if (mirror) mirror->MarkBad(b);
    };
    auto placedAt = [&](uint16_t b) {
        image.SetDirectoryBlock(b);
        if (mirror) mirror->SetDirectoryBlock(b);
    };
    auto done = [&](bool ok) {
        SetVerifyMode(savedMode);
        return ok && lastError_ == DeviceError::None;
    };

    // The block that holds the directory now; once a new copy stands elsewhere it is superseded.
    const uint16_t superseded = image.DirectoryBlock();
    auto keepSuperseded = [&] {
        if (superseded != 0) image.MarkUsed(superseded);
    };
    auto releaseSuperseded = [&](uint16_t now) {
        if (superseded == 0 || superseded == now) return;
        image.MarkFree(superseded);
        if (mirror) mirror->MarkFree(superseded);
    };

    image.SetTime(static_cast<uint32_t>(clock_.CalendarSeconds()));
    const uint16_t named = image.Relocation();
    if (named != kNoBlock && named != 0 && named != superseded && named < TotalBlocks())
        image.MarkFree(named);
    image.SetRelocation(kNoBlock);

    if (image.Usage(0) == kBlockUsed) {
        if (superseded != 0) image.MarkFree(superseded);
        image.ComputeChecksums();
        if (WriteBlockRetry(0, image.Bytes(), kNoNeighbour, kNoNeighbour)) {
            placedAt(0);
            releaseSuperseded(0);
            return done(true);
        }
        keepSuperseded();
        if (lastError_ != DeviceError::BadBlock) return done(false);
    }

    // Block 0 cannot hold the directory: move it to a free block and leave a pointer in block 0.
    lastError_ = DeviceError::None;
    uint16_t r = FirstFreeInBoth(image, mirror);
    if (r == kNoBlock) {
        lastError_ = DeviceError::NoSpace;
        return done(false);
    }
    for (int badBlocks = 0;;) {
        markUsed(r);
        // The copy written no longer counts the block it supersedes.
        if (superseded != 0 && superseded != r) image.MarkFree(superseded);
        image.SetRelocation(kNoBlock);
        image.ComputeChecksums();
        if (WriteBlockRetry(r, image.Bytes(), kNoNeighbour, kNoNeighbour)) {
            const DirectoryImage written = image;
            image.SetRelocation(r);
            image.ComputeChecksums();
            const bool pointerWritten = WriteBlockRetry(0, image.Bytes(), kNoNeighbour, kNoNeighbour);
            lastError_ = DeviceError::None;
            // The image keeps the checksums of the copy that holds the directory.
            image.CopyChecksumsFrom(written);
            image.SetRelocation(kNoBlock);
            placedAt(r);
            if (pointerWritten) {
                releaseSuperseded(r);
            } else {
                // Block 0 may still name the old copy: keep it until a pointer is written.
                keepSuperseded();
            }
            return done(true);
        }
        keepSuperseded();
        if (lastError_ != DeviceError::BadBlock) return done(false);
        markBad(r);
        if (++badBlocks >= 10) return done(false);
        lastError_ = DeviceError::None;
        r = FirstFreeInBoth(image, mirror);
        if (r == kNoBlock) {
            lastError_ = DeviceError::NoSpace;
            return done(false);
        }
    }
}

void MemoryDevice::MakeEmptyDirectory(DirectoryImage& image) {
    zanto::MakeEmptyDirectory(image, TotalBlocks(),
                              static_cast<uint32_t>(clock_.CalendarSeconds()));
}

bool MemoryDevice::CompareDirectory() {
    const uint16_t versionBefore = versionRead_;
    const bool read = ReadDirectory(*scratch_);
    versionRead_ = versionBefore;
    return read && scratch_->HeaderChecksum() == image_->HeaderChecksum() &&
           scratch_->BodyChecksum() == image_->BodyChecksum() &&
           scratch_->DirectoryBlock() == image_->DirectoryBlock();
}

bool MemoryDevice::CommitImage() {
    *scratch_ = *image_;
    DropWaitingEntries(*scratch_);
    const bool ok = WriteDirectory(*scratch_, image_.get());
    image_->CopyChecksumsFrom(*scratch_);
    image_->SetChanged(!ok);
    return ok;
}

}  // namespace zanto
