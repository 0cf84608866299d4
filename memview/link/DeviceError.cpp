#include "memview/link/DeviceError.h"

namespace zanto {

namespace {

struct StringEntry {
    unsigned id;
    const char* text;
    const char* name;  // enumerator name for the error strings
};

// memview's string table. The error texts sit at 1001 + code.
constexpr StringEntry kStrings[] = {
    {100, "OLE initialization failed.  Make sure that the OLE libraries are the correct version.",
     nullptr},
    {101, "Cannot load device driver ZANTOPNP.VXD", nullptr},
    {1001, " ", "None"},
    {1002, "No communication port.", "NoPort"},
    {1003, "Out of memory.", "OutOfMemory"},
    {1004, "Not enough flash memory on the device.", "NoSpace"},
    {1005, "Device communication time Out.", "Timeout"},
    {1006, "Cannot support the version of Zanto device.", "UnsupportedVersion"},
    {1007, "Device is not connected.", "NotConnected"},
    {1008, "Internal error. - bad block", "BadBlock"},
    {1009,
     "An unexpected memory error has occurred. You may need to contact your Flash Memory Card "
     "dealer.",
     "MemoryFault"},
    {1010, "Flash memory removed.\nRetry after initializing.", "CardRemoved"},
    {1011, "Critical error.\nRetry after initializing.", "Critical"},
    {1012, "Checksum failure.\nRefresh after initializing.", "DirectoryChecksum"},
    {1013, " ", "Cancelled"},
    {1014, "Too many files in the device.", "TooManyFiles"},
    {1015, "Viewer's data does not match the device.\nSelect Refresh.", "ViewMismatch"},
    {1016,
     "Device memory is unstable.\nSelect Refresh and try again.\nIf you get the same error, "
     "select Initialize.",
     "Unstable"},
    {1017, "Can not open file.", "CannotOpenFile"},
    {1018, "File read error.", "FileRead"},
    {1019, "File write error.", "FileWrite"},
    {1020, "Memory type not supported.", "MemoryTypeUnsupported"},
    {1021, "Authentication fail.", "HandshakeFailed"},
    {1022, "No flash memory in the device.", "NoFlash"},
    {1023, "Flash memory read error.", "FlashRead"},
    {1024, "Error writing flash memory.", "FlashWrite"},
    {1025, "Parallel port is currently unavailable.", "PortBusy"},
    {1026, "Checksum fail.", "PageChecksum"},
};

const StringEntry* Find(unsigned id) {
    for (const auto& s : kStrings)
        if (s.id == id) return &s;
    return nullptr;
}

}  // namespace

const char* MemviewString(unsigned id) {
    const StringEntry* s = Find(id);
    return s ? s->text : "";
}

const char* DeviceErrorText(DeviceError error) {
    return MemviewString(1001u + static_cast<unsigned>(error));
}

const char* DeviceErrorName(DeviceError error) {
    const StringEntry* s = Find(1001u + static_cast<unsigned>(error));
    return s && s->name ? s->name : "Unknown";
}

}  // namespace zanto
