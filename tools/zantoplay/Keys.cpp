#include "tools/zantoplay/Keys.h"

namespace zantoplay {

std::vector<Action> ParseKeys(const std::string& bytes) {
    std::vector<Action> actions;
    for (size_t i = 0; i < bytes.size(); ++i) {
        char c = bytes[i];
        // Arrow keys arrive as ESC [ A..D.
        if (c == '\x1b' && i + 2 < bytes.size() && bytes[i + 1] == '[') {
            switch (bytes[i + 2]) {
            case 'A': actions.push_back(Action::VolumeUp); break;
            case 'B': actions.push_back(Action::VolumeDown); break;
            case 'C': actions.push_back(Action::SeekForward); break;
            case 'D': actions.push_back(Action::SeekBack); break;
            default: break;
            }
            i += 2;
            continue;
        }
        switch (c) {
        case ' ':
        case 'p': actions.push_back(Action::PauseResume); break;
        case 'n': actions.push_back(Action::Next); break;
        case 'b': actions.push_back(Action::Previous); break;
        case ',': actions.push_back(Action::SeekBack); break;
        case '.': actions.push_back(Action::SeekForward); break;
        case '-': actions.push_back(Action::VolumeDown); break;
        case '+':
        case '=': actions.push_back(Action::VolumeUp); break;
        case 'q':
        case '\x04': actions.push_back(Action::Quit); break;
        default: break;
        }
    }
    return actions;
}

const char* KeyHelp() {
    return "keys: space/p pause, n next, b previous, left/right or ,/. seek 5 s, "
           "up/down or +/- volume, q quit\n";
}

}  // namespace zantoplay
