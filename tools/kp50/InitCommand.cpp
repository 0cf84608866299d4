// kp50 init: initializes the memory the way its format asks for (quick, with a bad-block scan,
// or converting an older format), after asking on the terminal.
#include <unistd.h>

#include <cstdio>
#include <iostream>
#include <string>

#include "memview/link/InitializeChoice.h"
#include "tools/kp50/Command.h"
#include "tools/kp50/DeviceOptions.h"

namespace {

using namespace zanto;

class TerminalQuestions final : public InitializeQuestions {
public:
    explicit TerminalQuestions(bool yes) : yes_(yes) {}
    bool AskYesNo(unsigned, const std::string& text) override {
        if (yes_) return true;
        std::fprintf(stderr, "%s [y/N] ", text.c_str());
        std::fflush(stderr);
        std::string answer;
        if (!std::getline(std::cin, answer)) return false;  // no answer: the default, No
        return answer == "y" || answer == "Y" || answer == "yes" || answer == "Yes";
    }

private:
    bool yes_;
};

// A progress line on stderr when it is a terminal; nothing otherwise (stdout stays clean).
class TerminalProgress final : public ProgressSink {
public:
    TerminalProgress() : show_(isatty(STDERR_FILENO)) {}
    ~TerminalProgress() override {
        if (show_ && last_ >= 0) std::fputc('\n', stderr);
    }
    void PostProgress(int percent) override {
        if (!show_ || percent == last_) return;
        last_ = percent;
        std::fprintf(stderr, "\rinitializing: %3d%%", percent);
        std::fflush(stderr);
    }

private:
    bool show_;
    int last_ = -1;
};

const char* KindText(InitializeKind kind) {
    switch (kind) {
    case InitializeKind::Quick: return "quick initialize";
    case InitializeKind::Scan: return "initialize with bad-block scan";
    case InitializeKind::Convert: return "older format converted";
    default: return "";
    }
}

int Run(const std::vector<std::string>& args) {
    bool yes = false;
    if (!kp50::ParseOptionalFlag("init", args, {"--yes", "-y"}, &yes)) return 2;
    int status = 0;
    auto device = kp50::OpenDevice("init", &status);
    if (!device) return status;
    TerminalQuestions questions(yes);
    const InitializeKind kind = ChooseInitialization(*device, &questions);
    if (kind == InitializeKind::Declined) {
        kp50::Fail("init", "cancelled; nothing was changed");
        return 3;
    }
    if (kind == InitializeKind::NotRecognised) {
        if (device->LastError() != DeviceError::None)
            return kp50::ReportError("init", device->LastError());
        kp50::Fail("init", "the memory's contents are not recognised; nothing was changed");
        return 1;
    }
    bool ok = false;
    {
        TerminalProgress progress;
        ok = RunInitialization(*device, kind, &progress);
    }
    if (!ok) return kp50::ReportError("init", device->LastError());
    std::printf("%s\n", KindText(kind));
    return 0;
}

const kp50::Registration reg({"init", "[--yes]",
                              "initialize the memory (asks first; --yes answers Yes)", Run});

}  // namespace
