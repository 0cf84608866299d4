#include "memview/link/Additions.h"

#include <strings.h>
#include <sys/stat.h>

#include <filesystem>
#include <fstream>
#include <set>

#include "common/MpegHeader.h"
#include "common/Paths.h"
#include "memview/link/TransferBatches.h"
#include "memview/link/TransferTexts.h"
#include "memview/link/WebAddress.h"

namespace zanto {

namespace {

constexpr size_t kMaxQueuedPaths = 100000;  // a list of lists cannot grow the queue for ever

bool EndsWithM3u(const std::string& text) {
    return text.size() >= 4 && strcasecmp(text.c_str() + text.size() - 4, ".m3u") == 0;
}

bool Exists(const std::string& path) {
    struct stat st{};
    return !path.empty() && stat(path.c_str(), &st) == 0;
}

}  // namespace

uint32_t SourceList::Append(const std::string& text) {
    texts_.push_back(text);
    return static_cast<uint32_t>(texts_.size() - 1);
}

void SourceList::Remove(uint32_t slot) {
    if (slot < texts_.size()) texts_[slot].clear();
}

int Additions::RowCount() const { return device_.PlayCount() + device_.DataCount(); }

int Additions::EntryOfRow(int row) const {
    const int p = device_.PlayCount();
    if (row < 0 || row >= RowCount()) return -1;
    return row < p ? row : kDataListStart + (row - p);
}

bool Additions::InDataRegion() const { return insertionRow > device_.PlayCount(); }

void Additions::Skip(const std::string& item, const std::string& why) {
    if (onSkipped) onSkipped(item, why);
}

void Additions::Added(int index, int row) {
    if (onAdded) onAdded(index, row);
    if (insertionRow >= row) ++insertionRow;
}

bool Additions::NameCheck(const std::string& name) {
    for (int row = 0; row < RowCount(); ++row) {
        const int index = EntryOfRow(row);
        std::optional<FileEntry> entry = device_.Entry(index);
        if (!entry || strcasecmp(entry->name.c_str(), name.c_str()) != 0) continue;
        if (!silent && !ui_.Ask(texts::Substitute(kOverwriteQuestion, {name}))) return false;
        if (insertionRow >= 0 && row < insertionRow) --insertionRow;
        if (IsWaitingState(entry->state)) sources_.Remove(entry->hostSlot);
        device_.DeleteEntry(index);
        return true;
    }
    return true;
}

// The new entry is the last of the play list: it moves to the insertion row when that is a
// play-list row, else it stays at the end.
void Additions::PlaceInPlayList(int index) {
    const int playRowsBefore = device_.PlayCount() - 1;
    int row = playRowsBefore;
    if (insertionRow >= 0 && insertionRow < playRowsBefore) {
        device_.MoveEntry(index, insertionRow);
        row = insertionRow;
        index = insertionRow;
    }
    Added(index, row);
}

Additions::Step Additions::AddLocal(const std::string& path) {
    const std::string name = FileNameOf(path);
    if (!NameCheck(name)) {
        Skip(path, "already listed");
        return Step::Skipped;
    }
    if (InDataRegion()) {
        Skip(path, "not added to the data list");
        return Step::Skipped;
    }
    if (!mpeg::IsValidHeader(MemoryDevice::FindFrameHeader(path))) {
        Skip(path, "not MPEG audio");
        return Step::Skipped;
    }
    const int index = device_.AddFile(path);
    if (index < 0) return Step::Stopped;
    device_.SetHostSlot(index, sources_.Append(path));
    PlaceInPlayList(index);
    return Step::Added;
}

Additions::Step Additions::AddWeb(const std::string& address) {
    const std::string name = address.substr(address.rfind('/') + 1);
    if (!NameCheck(name)) {
        Skip(address, "already listed");
        return Step::Skipped;
    }
    const int playRowsBefore = device_.PlayCount();
    const int rows = RowCount();
    const int index = device_.AddFile(address);
    if (index < 0) return Step::Stopped;
    device_.SetHostSlot(index, sources_.Append(address));
    if (insertionRow > playRowsBefore && insertionRow != rows) {
        // A row of the data list: the entry goes there, before that row's entry.
        const int target = kDataListStart + (insertionRow - playRowsBefore);
        if (device_.MoveEntry(index, target)) {
            Added(target, insertionRow);
            return Step::Added;
        }
    }
    Added(index, playRowsBefore);
    return Step::Added;
}

Additions::Step Additions::AddOther(const OtherMemoryItem& item) {
    if (!NameCheck(item.name)) {
        Skip(item.name, "already listed");
        return Step::Skipped;
    }
    if (!mpeg::IsValidHeader(item.header) || InDataRegion()) {
        Skip(item.name, "not MPEG audio");
        return Step::Skipped;
    }
    const int index = device_.AddEntry(item.name, item.header, item.size,
                                       EntryState::WaitingPlayerMpeg);
    if (index < 0) return Step::Stopped;
    device_.SetHostSlot(index, sources_.Append(std::to_string(unsigned(item.sourceMemory))));
    PlaceInPlayList(index);
    return Step::Added;
}

bool Additions::Process() {
    while (!localPaths.empty()) {
        if (AddLocal(localPaths.front()) == Step::Stopped) return false;
        localPaths.pop_front();
    }
    while (!webAddresses.empty()) {
        if (AddWeb(webAddresses.front()) == Step::Stopped) return false;
        webAddresses.pop_front();
    }
    while (!otherMemory.empty()) {
        const OtherMemoryItem item = otherMemory.front();
        Step step = Step::Skipped;
        if (item.state == 0 || item.state == 1)
            step = AddOther(item);
        else if (item.state == 2 || item.state == 3)
            step = AddLocal(item.name);
        else if (item.state == 6)
            step = AddWeb(item.name);
        if (step == Step::Stopped) return false;
        otherMemory.pop_front();
    }
    return true;
}

void Additions::ExpandPlaylists(TransferEngine& engine) {
    std::vector<std::string> fetch;
    std::set<std::string> expanded;  // each list once, so a list naming itself cannot loop
    std::deque<std::string> kept;
    while (!localPaths.empty()) {
        std::string item = localPaths.front();
        localPaths.pop_front();
        if (!EndsWithM3u(item)) {
            kept.push_back(item);
            continue;
        }
        std::error_code ec;
        std::string key = std::filesystem::weakly_canonical(item, ec).string();
        if (ec) key = item;
        if (!expanded.insert(key).second) continue;
        std::ifstream in(item);
        if (!in) continue;
        const std::string listFolder = std::filesystem::path(item).parent_path().string();
        std::string line;
        while (std::getline(in, line)) {
            if (!line.empty() && line.back() == '\r') line.pop_back();
            if (IsWebAddressNoCase(line)) {
                fetch.push_back(line);
            } else if (localPaths.size() + kept.size() < kMaxQueuedPaths) {
                if (Exists(line))
                    localPaths.push_back(line);
                else if (!line.empty() && line[0] != '/' && !listFolder.empty() &&
                         Exists(listFolder + "/" + line))
                    localPaths.push_back(listFolder + "/" + line);  // relative to the list
            }
        }
    }
    localPaths = std::move(kept);
    for (auto it = webAddresses.begin(); it != webAddresses.end();) {
        if (EndsWithM3u(*it)) {
            fetch.push_back(*it);
            it = webAddresses.erase(it);
        } else {
            ++it;
        }
    }
    if (fetch.empty()) return;
    AddressListBatch batch(device_, engine, fetch, ui_);
    for (std::string& address : batch.Run()) webAddresses.push_back(std::move(address));
}

}  // namespace zanto
