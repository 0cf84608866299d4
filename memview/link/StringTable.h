#pragma once
// memview's string table: the texts the library shows, by their numbers. Error texts sit at
// 1001 + DeviceError code.
namespace zanto {

// The string with this id; empty for an id the table does not hold.
const char* MemviewString(unsigned id);

}  // namespace zanto
