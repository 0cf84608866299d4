// kp50 ports: LPT1..LPT4 with their port values, which one answers, and why a port is unusable.
#include <array>
#include <cstdio>
#include <string>

#include "common/Json.h"
#include "common/Settings.h"
#include "memview/link/FindMxDevice.h"
#include "memview/link/MemoryDevice.h"
#include "tools/kp50/Command.h"

namespace {

using namespace zanto;

const char* KindName(uint32_t value) {
    return PortKindOf(value) == kPortKindEcp ? "ECP" : "standard";
}

int Run(const std::vector<std::string>& args) {
    bool json = false;
    if (!kp50::ParseOptionalFlag("ports", args, {"--json"}, &json)) return 2;
    PortDriver& driver = ProcessPortDriver();
    std::array<uint32_t, 4> values{};
    FindMxDevice(values.data(), driver);
    const auto diagnosis = driver.Diagnose();
    // Probe each port on its own, as the search does, to tell every port that answers.
    std::array<bool, 4> answers{};
    {
        MemoryDevice probe(driver);
        for (size_t i = 0; i < 4; ++i) {
            if (values[i] == 0) continue;
            probe.SetPort(values[i]);
            answers[i] = probe.Probe();
        }
        driver.Idle();
    }
    const int32_t setting = settings::ReadPort();
    if (json) std::printf("[");
    for (size_t i = 0; i < 4; ++i) {
        const std::string name = "LPT" + std::to_string(i + 1);
        const std::string& problem = diagnosis[i].problem;
        if (json) {
            std::printf("%s{\"name\":\"%s\",\"value\":%u,\"base\":%u,\"kind\":%s,\"player\":%s,"
                        "\"problem\":%s}",
                        i ? "," : "", name.c_str(), values[i], PortBaseOf(values[i]),
                        values[i] ? (PortKindOf(values[i]) ? "\"ECP\"" : "\"standard\"") : "null",
                        answers[i] ? "true" : "false",
                        problem.empty() ? "null" : JsonQuote(problem).c_str());
            continue;
        }
        if (values[i] == 0) {
            std::printf("%s  -           %s\n", name.c_str(),
                        problem.empty() ? "absent" : ("absent: " + problem).c_str());
            continue;
        }
        std::printf("%s  0x%08x  %s port at 0x%x, %s%s\n", name.c_str(), values[i],
                    KindName(values[i]), PortBaseOf(values[i]),
                    answers[i] ? "the player answers" : "no player answers",
                    problem.empty() ? "" : (" (" + problem + ")").c_str());
    }
    if (json) {
        std::printf("]\n");
    } else if (setting == -1) {
        std::printf("port setting: not chosen yet\n");
    } else {
        std::printf("port setting: 0x%08x\n", static_cast<uint32_t>(setting));
    }
    std::fflush(stdout);
    return 0;
}

const kp50::Registration reg({"ports", "[--json]",
                              "list LPT1..LPT4, their port values and which one the player answers on",
                              Run});

}  // namespace
