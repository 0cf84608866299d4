#pragma once
// What put, get and cp show while a batch runs: on a terminal a progress bar on stderr (file
// name, count, percent, bytes per second, time left) and questions answered on stdin; without a
// terminal nothing but the end result. Ctrl-C (or SIGTERM) cancels the batch cleanly.
#include <signal.h>

#include <atomic>
#include <functional>
#include <string>
#include <thread>
#include <vector>

#include "common/Clock.h"
#include "memview/link/TransferUi.h"

namespace kp50 {

class TerminalTransferUi final : public zanto::TransferUi {
public:
    // yes: every question is answered Yes (without it a question off a terminal gets No).
    TerminalTransferUi(const char* command, bool yes, zanto::Clock& clock = zanto::Clock::System());
    ~TerminalTransferUi() override;

    // The bytes of the file about to start (0 when unknown) and of the whole batch.
    void SetFileBytes(uint64_t bytes) { fileBytes_ = bytes; }
    void SetBatchBytes(uint64_t bytes) { batchBytes_ = bytes; }

    void ShowFile(const std::string& name, const std::string& countText) override;
    bool Ask(const std::string& question) override;
    void ShowError(const std::string& text) override;
    void PostProgress(int percent) override;
    void EntryWritten(int index) override;
    void Ended(zanto::DeviceError error) override;

    std::function<void(int index)> onEntryWritten;
    // The size of the file a ShowFile announces, when the command knows it.
    std::function<uint64_t()> fileBytesHint;
    const std::string& CurrentName() const { return name_; }
    // The bar line for a state, as it is drawn (for tests of the layout).
    static std::string BarLine(const std::string& name, const std::string& count, int percent,
                               double bytesPerSecond, double secondsLeft, size_t width);

private:
    void Draw();
    void ClearLine();
    void FinishFile();

    const char* command_;
    bool yes_;
    bool terminal_;
    zanto::Clock& clock_;
    zanto::Clock::Duration start_;
    std::string name_, count_;
    int percent_ = -1;
    uint64_t fileBytes_ = 0, batchBytes_ = 0, doneBytes_ = 0;
    bool drawn_ = false;
};

// Blocks SIGINT and SIGTERM for the process's threads while it lives and calls onSignal from a
// watcher thread when one arrives. Make it before any other thread starts.
class InterruptCancel {
public:
    explicit InterruptCancel(std::function<void()> onSignal);
    ~InterruptCancel();
    bool Interrupted() const { return interrupted_.load(); }

private:
    std::function<void()> onSignal_;
    sigset_t previous_{};
    std::atomic<bool> interrupted_{false};
    std::atomic<bool> finished_{false};
    std::thread watcher_;
};

}  // namespace kp50
