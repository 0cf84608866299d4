#pragma once
// Runs the kp50 program as a user does, through the shell, and collects what it printed.
#include <sys/wait.h>

#include <cstdlib>
#include <fstream>
#include <iterator>
#include <string>

namespace zanto::testkit {

struct ToolRun {
    int status = -1;
    std::string out, err;
};

inline std::string Slurp(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), {});
}

// "env kp50 args" with input on stdin; stdout and stderr go through files in the folder work.
inline ToolRun RunKp50(const std::string& work, const std::string& args,
                       const std::string& input = "", const std::string& env = "") {
    const std::string in = work + "/kp50.in", out = work + "/kp50.out", err = work + "/kp50.err";
    std::ofstream(in) << input;
    const std::string cmd = env + " " + KP50_PATH + " " + args + " <" + in + " >" + out + " 2>" + err;
    ToolRun r;
    const int st = std::system(cmd.c_str());
    r.status = WIFEXITED(st) ? WEXITSTATUS(st) : -1;
    r.out = Slurp(out);
    r.err = Slurp(err);
    return r;
}

}  // namespace zanto::testkit
