#pragma once
// The texts a row of the player's file list shows for an entry (window and command-line tool).
#include <cstdint>
#include <string>

#include "memview/link/DirectoryImage.h"

namespace zanto {

// Play time, bit rate and sample rate from the entry's frame header and size, e.g.
// "04:10 128Kbps 44.1KHz"; empty for an address entry, an invalid header or one without a bit
// rate.
std::string EntryPropertyText(const FileEntry& entry);

// The entry time as local time, "%y-%m-%d %p %I:%M:%S"; empty for an address entry.
std::string EntryDateText(const FileEntry& entry);

// The size as "%lu"; empty for an address entry.
std::string EntrySizeText(const FileEntry& entry);

}  // namespace zanto
