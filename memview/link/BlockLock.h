#pragma once
// One process-wide lock held by every 32-KB block transfer, so transfers of different devices and
// threads never interleave on the parallel port.
#include <mutex>

namespace zanto {

std::mutex& BlockLock();

}  // namespace zanto
