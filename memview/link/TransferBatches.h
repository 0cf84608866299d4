#pragma once
// The four transfer jobs of the player-memory window without any widget: the download batch,
// the upload batch, the address-list batch and initializing. Each Run() works through its list
// on the calling thread (the dialog's worker, or the command-line tool) and reports through a
// TransferUi; Cancel() may be called from any other thread and the job stops at its next check.
// A cancel stays in force for every later job of the same engine until TransferEngine::ResumeJobs,
// which the owner calls when the user starts a new job.
#include <atomic>
#include <string>
#include <vector>

#include "memview/link/InitializeChoice.h"
#include "memview/link/MemoryDevice.h"
#include "memview/link/TransferEngine.h"
#include "memview/link/TransferUi.h"

namespace zanto {

// Writes every waiting entry of the loaded image to the player in one link: play-list entries in
// states 2, 4 and 6 first, then data-list entries in states 2 to 6. sources holds the source text
// of each waiting entry at the entry's host slot. The directory is committed after every file.
class DownloadBatch {
public:
    DownloadBatch(MemoryDevice& device, TransferEngine& engine, std::vector<std::string> sources,
                  TransferUi& ui)
        : device_(device), engine_(engine), sources_(std::move(sources)), ui_(ui) {}
    // The final error (also reported through Ended); the device's error is cleared.
    DeviceError Run();
    void Cancel() { engine_.Cancel(); }

    // The next entry to write, or -1.
    static int NextWaiting(const MemoryDevice& device);
    static int CountWaiting(const MemoryDevice& device);
    // "(k/n)", "(k/n) MEDIA" or "(k/n HTTP)" by the entry's state.
    static std::string CountText(uint8_t state, int k, int n);

private:
    std::string SourceOf(const FileEntry& entry) const;

    MemoryDevice& device_;
    TransferEngine& engine_;
    std::vector<std::string> sources_;
    TransferUi& ui_;
};

// Copies entries of the player into a folder of the computer, each under a name that neither
// leaves the folder nor overwrites a file already there.
class UploadBatch {
public:
    UploadBatch(MemoryDevice& device, std::vector<int> indexes, std::string folder, TransferUi& ui)
        : device_(device), indexes_(std::move(indexes)), folder_(std::move(folder)), ui_(ui) {}
    DeviceError Run();
    void Cancel();
    // The files written, in order.
    const std::vector<std::string>& Written() const { return written_; }

private:
    MemoryDevice& device_;
    std::vector<int> indexes_;
    std::string folder_;
    TransferUi& ui_;
    std::atomic<bool> cancelled_{false};
    std::vector<std::string> written_;
};

// Fetches web playlists and gathers the web addresses they list. No link is opened.
class AddressListBatch {
public:
    AddressListBatch(MemoryDevice& device, TransferEngine& engine,
                     std::vector<std::string> addresses, TransferUi& ui)
        : device_(device), engine_(engine), addresses_(std::move(addresses)), ui_(ui) {}
    // The addresses found, in order (as far as the fetching went).
    std::vector<std::string> Run();
    void Cancel() { engine_.Cancel(); }

private:
    MemoryDevice& device_;
    TransferEngine& engine_;
    std::vector<std::string> addresses_;
    TransferUi& ui_;
};

// The initialize dialog's job once the choice is made (InitializeChoice.h): its status line, the
// operation with progress, the error shown (show-errors flag set), Ended, the error cleared. True
// when it went through.
bool RunInitializeJob(MemoryDevice& device, InitializeKind kind, TransferUi& ui);

// The choice's questions asked through a batch's TransferUi.
class UiInitializeQuestions final : public InitializeQuestions {
public:
    explicit UiInitializeQuestions(TransferUi& ui) : ui_(ui) {}
    bool AskYesNo(unsigned, const std::string& text) override { return ui_.Ask(text); }

private:
    TransferUi& ui_;
};

}  // namespace zanto
