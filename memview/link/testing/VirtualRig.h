#pragma once
// A virtual player in a fresh folder, its port driver, a fake clock and a MemoryDevice on the
// virtual LPT1: what a link test needs in one object.
#include <memory>
#include <optional>
#include <stdexcept>
#include <string>
#include <vector>

#include "common/Clock.h"
#include "common/testing/TempDir.h"
#include "memview/link/MemoryDevice.h"
#include "memview/link/VirtualPortDriver.h"

namespace zanto::testkit {

class VirtualRig {
public:
    explicit VirtualRig(std::vector<uint8_t> internal = {0xE6},
                        std::optional<std::vector<uint8_t>> card = std::nullopt,
                        MemoryType type = MemoryType::Internal) {
        std::string error;
        if (!VirtualPlayer::Create(dir.Path(), internal, card, &error))
            throw std::runtime_error(error);
        player = std::make_shared<VirtualPlayer>(dir.Path(), clock);
        if (!player->IsOpen()) throw std::runtime_error(player->OpenError());
        driver = std::make_shared<VirtualPortDriver>(player);
        device = std::make_unique<MemoryDevice>(*driver, clock);
        device->SetPort(kVirtualPortBase);
        device->SetMemoryType(type);
    }

    // OpenLink and IdentifyChips, as every device operation starts.
    bool Open() { return device->OpenLink() && device->IdentifyChips(); }
    void Close() { device->CloseLink(); }

    VirtualPlayer& Player() { return *player; }
    MemoryDevice& Device() { return *device; }

    TempDir dir;
    FakeClock clock;
    std::shared_ptr<VirtualPlayer> player;
    std::shared_ptr<VirtualPortDriver> driver;
    std::unique_ptr<MemoryDevice> device;
};

}  // namespace zanto::testkit
