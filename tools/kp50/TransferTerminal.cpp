#include "tools/kp50/TransferTerminal.h"

#include <sys/ioctl.h>
#include <unistd.h>

#include <cstdio>
#include <iostream>

#include "tools/kp50/Command.h"

namespace kp50 {

using namespace zanto;

namespace {

size_t TerminalWidth() {
    winsize ws{};
    if (ioctl(STDERR_FILENO, TIOCGWINSZ, &ws) == 0 && ws.ws_col >= 40) return ws.ws_col;
    return 80;
}

std::string Rate(double bytesPerSecond) {
    char buf[32];
    if (bytesPerSecond >= 1048576)
        std::snprintf(buf, sizeof buf, "%.1f MB/s", bytesPerSecond / 1048576);
    else
        std::snprintf(buf, sizeof buf, "%.0f KB/s", bytesPerSecond / 1024);
    return buf;
}

std::string Duration(double seconds) {
    if (seconds < 0) return "--:--";
    long s = long(seconds + 0.5);
    char buf[32];
    if (s >= 3600)
        std::snprintf(buf, sizeof buf, "%ld:%02ld:%02ld", s / 3600, s / 60 % 60, s % 60);
    else
        std::snprintf(buf, sizeof buf, "%02ld:%02ld", s / 60, s % 60);
    return buf;
}

}  // namespace

TerminalTransferUi::TerminalTransferUi(const char* command, bool yes, Clock& clock)
    : command_(command), yes_(yes), terminal_(isatty(STDERR_FILENO)), clock_(clock),
      start_(clock.Now()) {}

TerminalTransferUi::~TerminalTransferUi() { ClearLine(); }

std::string TerminalTransferUi::BarLine(const std::string& name, const std::string& count,
                                        int percent, double bytesPerSecond, double secondsLeft,
                                        size_t width) {
    char pct[16];
    std::snprintf(pct, sizeof pct, "%3d%%", percent < 0 ? 0 : percent);
    const std::string tail = " " + count + " " + pct + " " +
                             (bytesPerSecond > 0 ? Rate(bytesPerSecond) : std::string("-- KB/s")) +
                             " " + Duration(secondsLeft);
    const size_t barWidth = width >= 60 ? 20 : 10;
    std::string bar = "[";
    const size_t filled = percent <= 0 ? 0 : size_t(percent) * barWidth / 100;
    bar += std::string(filled, '#') + std::string(barWidth - filled, '.') + "]";
    size_t room = width > tail.size() + bar.size() + 2 ? width - tail.size() - bar.size() - 2 : 8;
    std::string shown = name;
    if (shown.size() > room) shown = shown.substr(0, room > 3 ? room - 3 : 0) + "...";
    return shown + " " + bar + tail;
}

void TerminalTransferUi::Draw() {
    if (!terminal_) return;
    const double elapsed = std::chrono::duration<double>(clock_.Now() - start_).count();
    const uint64_t fileDone =
        percent_ > 0 && fileBytes_ ? fileBytes_ * uint64_t(percent_) / 100 : 0;
    const double done = double(doneBytes_ + fileDone);
    const double rate = elapsed > 0.2 ? done / elapsed : 0;
    const double left =
        rate > 0 && batchBytes_ >= doneBytes_ + fileDone ? (double(batchBytes_) - done) / rate : -1;
    const std::string line = BarLine(name_, count_, percent_, rate, left, TerminalWidth() - 1);
    std::fprintf(stderr, "\r%s\033[K", line.c_str());
    std::fflush(stderr);
    drawn_ = true;
}

void TerminalTransferUi::ClearLine() {
    if (terminal_ && drawn_) {
        std::fputs("\r\033[K", stderr);
        std::fflush(stderr);
        drawn_ = false;
    }
}

void TerminalTransferUi::ShowFile(const std::string& name, const std::string& countText) {
    name_ = name;
    count_ = countText;
    percent_ = 0;
    if (fileBytesHint) fileBytes_ = fileBytesHint();
    Draw();
}

void TerminalTransferUi::PostProgress(int percent) {
    if (percent == percent_) return;
    percent_ = percent;
    Draw();
}

void TerminalTransferUi::FinishFile() {
    doneBytes_ += fileBytes_;
    fileBytes_ = 0;
}

void TerminalTransferUi::EntryWritten(int index) {
    FinishFile();
    if (onEntryWritten) {
        ClearLine();
        onEntryWritten(index);
    }
}

void TerminalTransferUi::Ended(DeviceError) {
    FinishFile();
    ClearLine();
}

bool TerminalTransferUi::Ask(const std::string& question) {
    if (yes_) return true;
    ClearLine();
    std::string text = question;
    std::fprintf(stderr, "%s [y/N] ", text.c_str());
    std::fflush(stderr);
    if (!isatty(STDIN_FILENO)) {
        std::fputs("N (no terminal; --yes answers Yes)\n", stderr);
        return false;
    }
    std::string answer;
    if (!std::getline(std::cin, answer)) return false;
    return answer == "y" || answer == "Y" || answer == "yes" || answer == "Yes";
}

void TerminalTransferUi::ShowError(const std::string& text) {
    ClearLine();
    std::string oneLine = text;
    for (char& c : oneLine)
        if (c == '\n') c = ' ';
    Fail(command_, oneLine);
}

InterruptCancel::InterruptCancel(std::function<void()> onSignal) : onSignal_(std::move(onSignal)) {
    sigset_t set;
    sigemptyset(&set);
    sigaddset(&set, SIGINT);
    sigaddset(&set, SIGTERM);
    pthread_sigmask(SIG_BLOCK, &set, &previous_);
    watcher_ = std::thread([this, set] {
        // Looks for the end flag between waits, so it ends without being signalled itself.
        const timespec slice{0, 100 * 1000 * 1000};
        while (!finished_) {
            const int signal = sigtimedwait(&set, nullptr, &slice);
            if (signal == SIGINT || signal == SIGTERM) {
                interrupted_ = true;
                if (onSignal_) onSignal_();
            }
        }
    });
}

InterruptCancel::~InterruptCancel() {
    finished_ = true;
    watcher_.join();
    // A signal that came in meanwhile stays pending; it is dropped rather than ending the
    // process after the batch has reported.
    sigset_t pending;
    sigpending(&pending);
    if (sigismember(&pending, SIGINT) || sigismember(&pending, SIGTERM)) {
        sigset_t set;
        sigemptyset(&set);
        if (sigismember(&pending, SIGINT)) sigaddset(&set, SIGINT);
        if (sigismember(&pending, SIGTERM)) sigaddset(&set, SIGTERM);
        int signal;
        sigwait(&set, &signal);
    }
    pthread_sigmask(SIG_SETMASK, &previous_, nullptr);
}

}  // namespace kp50
