#pragma once
// One process-wide lock held by every 32-KB block transfer, so transfers of different devices and
// threads never interleave on the parallel port. Re-entrant: a thread that holds it (a caller that
// keeps the port for a read-then-rewrite) may run block transfers inside.
#include <mutex>

namespace zanto {

std::recursive_mutex& BlockLock();

}  // namespace zanto
