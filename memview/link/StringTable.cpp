#include "memview/link/StringTable.h"

namespace zanto {

namespace {

struct StringEntry {
    unsigned id;
    const char* text;
};

constexpr StringEntry kStrings[] = {
    {1, "Name\nSize\nDate\nProperty"},
    {5, "Initializing will delete all data. \nContinue?"},
    {6, "Cannot open or read file,\n %1.\n\nContinue?"},
    {7, "Cannot open or read file,\n %1(renamed to %2).\n\nContinue?"},
    {8, "File '%1' already exist.\nOverwrite it?"},
    {11, "After initializing, the Flash Memory Card can only be used with Zanto.\nContinue?"},
    {14, " Total Size: %luKB"},
    {15, " Remain Size: %luKB"},
    {16, "Zanto memory contents have changed.\nDo you want to close?"},
    {19, "Are you sure about deleting files?"},
    {100, "OLE initialization failed.  Make sure that the OLE libraries are the correct version."},
    {101, "Cannot load device driver ZANTOPNP.VXD"},
    {128, "Media memory"},
    {131, "The Flash Memory format is an older version.\nPlease select Initialize to reformat the "
          "memory.\n"},
    {1001, " "},
    {1002, "No communication port."},
    {1003, "Out of memory."},
    {1004, "Not enough flash memory on the device."},
    {1005, "Device communication time Out."},
    {1006, "Cannot support the version of Zanto device."},
    {1007, "Device is not connected."},
    {1008, "Internal error. - bad block"},
    {1009,
     "An unexpected memory error has occurred. You may need to contact your Flash Memory Card "
     "dealer."},
    {1010, "Flash memory removed.\nRetry after initializing."},
    {1011, "Critical error.\nRetry after initializing."},
    {1012, "Checksum failure.\nRefresh after initializing."},
    {1013, " "},
    {1014, "Too many files in the device."},
    {1015, "Viewer's data does not match the device.\nSelect Refresh."},
    {1016,
     "Device memory is unstable.\nSelect Refresh and try again.\nIf you get the same error, "
     "select Initialize."},
    {1017, "Can not open file."},
    {1018, "File read error."},
    {1019, "File write error."},
    {1020, "Memory type not supported."},
    {1021, "Authentication fail."},
    {1022, "No flash memory in the device."},
    {1023, "Flash memory read error."},
    {1024, "Error writing flash memory."},
    {1025, "Parallel port is currently unavailable."},
    {1026, "Checksum fail."},
};

}  // namespace

const char* MemviewString(unsigned id) {
    for (const auto& s : kStrings)
        if (s.id == id) return s.text;
    return "";
}

}  // namespace zanto
