// Entry operations and queries on the loaded image (no link).
#include <sys/stat.h>

#include "common/MediaProbe.h"
#include "common/Paths.h"
#include "memview/link/MemoryDevice.h"

namespace zanto {

namespace {

// Hidden files (a leading dot) and anything that is not a plain file (folders, devices, pipes,
// sockets) are not offered to the player.
bool IsAddableFile(const std::string& path, uint64_t* size) {
    struct stat st {};
    if (::stat(path.c_str(), &st) != 0 || !S_ISREG(st.st_mode)) return false;
    const std::string name = FileNameOf(path);
    if (name.empty() || name[0] == '.') return false;
    *size = static_cast<uint64_t>(st.st_size);
    return true;
}

}  // namespace

uint32_t MemoryDevice::FindFrameHeader(const std::string& path) { return ProbeMpegFile(path); }

int MemoryDevice::AddFile(const std::string& pathOrAddress) {
    uint8_t state = static_cast<uint8_t>(EntryState::WaitingHttp);
    uint64_t size = 0;
    uint32_t header = 0;
    // Web addresses are fetched at download time; https is served like http.
    const bool address =
        pathOrAddress.rfind("http://", 0) == 0 || pathOrAddress.rfind("https://", 0) == 0;
    if (!address) {
        if (!IsAddableFile(pathOrAddress, &size)) {
            lastError_ = DeviceError::CannotOpenFile;
            return -1;
        }
        // The record holds 32 bits; a file that large never fits the memory anyway.
        if (size > uint64_t(image_->FreeCount()) * kBlockBytes) {
            lastError_ = DeviceError::NoSpace;
            return -1;
        }
        state = static_cast<uint8_t>(EntryState::WaitingFile);
        header = FindFrameHeader(pathOrAddress);
    }
    const std::string name = CutEntryName(FileNameOf(pathOrAddress));
    return AddEntry(name, header, static_cast<uint32_t>(size), static_cast<EntryState>(state));
}

int MemoryDevice::AddEntry(const std::string& name, uint32_t header, uint32_t size,
                           EntryState state) {
    DeviceError error = DeviceError::None;
    auto index = image_->AddEntry(name, header, size, static_cast<uint8_t>(state),
                                  static_cast<uint32_t>(clock_.CalendarSeconds()), &error);
    if (!index) {
        lastError_ = error;
        return -1;
    }
    return *index;
}

bool MemoryDevice::RenameEntry(int index, const std::string& name) {
    return image_->RenameEntry(index, name);
}

void MemoryDevice::DeleteEntry(int index) { image_->DeleteEntry(index); }

bool MemoryDevice::SwapEntries(int a, int b) { return image_->SwapEntries(a, b); }

bool MemoryDevice::MoveEntry(int from, int to) { return image_->MoveEntry(from, to); }

int MemoryDevice::PlayCount() const { return image_->PlayCount(); }
int MemoryDevice::DataCount() const { return image_->DataCount(); }
std::optional<FileEntry> MemoryDevice::Entry(int index) const { return image_->Entry(index); }
uint8_t MemoryDevice::EntryStateOf(int index) const { return image_->StateOf(index); }
std::optional<uint32_t> MemoryDevice::HostSlot(int index) const {
    return image_->HostSlot(index);
}
bool MemoryDevice::SetHostSlot(int index, uint32_t slot) {
    return image_->SetHostSlot(index, slot);
}

}  // namespace zanto
