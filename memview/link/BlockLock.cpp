#include "memview/link/BlockLock.h"

namespace zanto {

std::mutex& BlockLock() {
    static std::mutex lock;
    return lock;
}

}  // namespace zanto
