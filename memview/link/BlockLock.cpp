#include "memview/link/BlockLock.h"

namespace zanto {

std::recursive_mutex& BlockLock() {
    static std::recursive_mutex lock;
    return lock;
}

}  // namespace zanto
