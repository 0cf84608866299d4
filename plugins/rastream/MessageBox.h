#pragma once
// Plug-ins have no windows of their own. The few messages a plug-in must show go through a hook
// that the host installs: a program that wants them defines (and exports) this variable and sets
// it; without it the message goes to the standard error output.
//
//   extern "C" ZantoMessageBoxHook ZantoPluginMessageBox;  // defined by the host program
extern "C" {
typedef void (*ZantoMessageBoxHook)(const char* text, const char* title);
}

namespace rastream {

// Shows text titled title through the host's hook, or prints it.
void ShowMessage(const char* text, const char* title);

}  // namespace rastream
