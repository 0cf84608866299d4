// zantoplay [--plugins DIR] FILE...: plays the files in order through the decoder plug-ins.
#include <unistd.h>

#include <csignal>
#include <cstring>
#include <iostream>
#include <string>
#include <vector>

#include "common/Clock.h"
#include "common/Settings.h"
#include "tools/zantoplay/Keys.h"
#include "tools/zantoplay/Session.h"
#include "tools/zantoplay/Terminal.h"
#include "zantodesk/player/PluginHost.h"

namespace {

volatile std::sig_atomic_t interrupted = 0;
void OnSignal(int) { interrupted = 1; }

int Usage() {
    std::cerr << "usage: zantoplay [--plugins DIR] FILE...\n" << zantoplay::KeyHelp();
    return 2;
}

}  // namespace

int main(int argc, char** argv) {
    std::string folder = zanto::PluginHost::DefaultPluginFolder();
    std::vector<std::string> files;
    for (int i = 1; i < argc; ++i) {
        if (std::strcmp(argv[i], "--plugins") == 0 && i + 1 < argc)
            folder = argv[++i];
        else if (std::strcmp(argv[i], "--help") == 0 || std::strcmp(argv[i], "-h") == 0)
            return Usage();
        else
            files.push_back(argv[i]);
    }
    if (files.empty()) return Usage();

    zanto::PluginHost host(folder);
    host.Initialise(nullptr);
    if (!host.HasPlugins()) {
        std::cerr << "zantoplay: no decoder plug-ins in " << folder << "\n";
        return 1;
    }

    // Ctrl-C ends the item and the run the same way q does, so the terminal is given back.
    struct sigaction action {};
    action.sa_handler = OnSignal;
    sigaction(SIGINT, &action, nullptr);
    sigaction(SIGTERM, &action, nullptr);

    zantoplay::Terminal terminal;
    if (terminal.Interactive()) std::cerr << zantoplay::KeyHelp();
    zantoplay::SessionIo io;
    io.readKeys = [&] { return interrupted ? std::string("q") : terminal.ReadKeys(); };
    io.out = &std::cout;
    io.err = &std::cerr;
    io.statusInPlace = isatty(STDOUT_FILENO) != 0;
    int32_t volume = zanto::settings::ReadVolume();
    zantoplay::Session session(host, zanto::Clock::System(), io, volume);
    int status = session.Run(files);
    if (session.Volume() != volume) zanto::settings::WriteVolume(session.Volume());
    return interrupted ? 130 : status;
}
