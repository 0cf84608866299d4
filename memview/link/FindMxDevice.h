#pragma once
// Searches LPT1..LPT4 for a player.
#include <cstdint>

#include "memview/link/PortDriver.h"
#include "memview/link/PortValue.h"

namespace zanto {

// The PortValue of the first port at which a player answers the probe, or 0xFFFFFFFF. When slots
// is given, it receives the PortValue of LPT1..LPT4 (0 for a port that is absent or not a
// recognised parallel port). No link is opened and no port is acquired.
PortValue FindMxDevice(uint32_t* slots, PortDriver& driver = ProcessPortDriver());

}  // namespace zanto
