#include "plugins/rastream/MessageBox.h"

#include <dlfcn.h>

#include <cstdio>

namespace rastream {

void ShowMessage(const char* text, const char* title) {
    // Looked up at each use: the host may install its hook after loading the plug-in.
    auto* hook = reinterpret_cast<ZantoMessageBoxHook*>(dlsym(RTLD_DEFAULT, "ZantoPluginMessageBox"));
    if (hook && *hook) {
        (*hook)(text, title);
        return;
    }
    std::fprintf(stderr, "%s: %s\n", title, text);
}

}  // namespace rastream
