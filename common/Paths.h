#pragma once
// Small path helpers shared by every deliverable.
#include <string>

namespace zanto {

// The part after the last "/", and of that the part after the last "\\".
std::string FileNameOf(const std::string& path);

// The folder of the file (program or shared library) that holds this code, without a trailing
// separator. Plug-ins and the library find their "Plug-in" and "Help" folders from it.
std::string ModuleFolder();

// Per-user folders (XDG), created on demand; each without a trailing separator.
std::string ConfigFolder();    // $XDG_CONFIG_HOME/zanto or ~/.config/zanto
std::string DataFolder();      // $XDG_DATA_HOME/zanto or ~/.local/share/zanto
std::string RuntimeFolder();   // $XDG_RUNTIME_DIR or a per-user folder under /tmp
std::string TempFolder();      // a per-user temporary folder (the program's folder is read-only)

// Creates a folder and its parents; true when it exists afterwards.
bool MakeFolders(const std::string& path);

}  // namespace zanto
