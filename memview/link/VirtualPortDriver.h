#pragma once
// The port driver of the virtual player: one standard port "LPT1" at base 0x378 with the player
// attached. Claiming the port locks the player's folder, so two programs cannot drive the same
// player at once (the second gets "port busy", as with a real port).
#include <memory>
#include <string>

#include "common/Clock.h"
#include "memview/link/PortDriver.h"
#include "memview/link/VirtualPlayer.h"

namespace zanto {

inline constexpr uint16_t kVirtualPortBase = 0x378;

class VirtualPortDriver final : public PortDriver {
public:
    // Opens the player in the folder, creating a default one there when the folder holds none.
    // The speed limit comes from ZANTO_VIRTUAL_SPEED (payload bytes per second) when set; faults
    // from the folder's "faults" file when there is one (see VirtualPlayer::ApplyFaults).
    explicit VirtualPortDriver(const std::string& folder, Clock& clock = Clock::System());
    // Serves an already opened player (tests).
    explicit VirtualPortDriver(std::shared_ptr<VirtualPlayer> player);
    ~VirtualPortDriver() override;

    VirtualPlayer& Player() { return *player_; }
    bool PlayerOpen() const { return player_->IsOpen(); }

    uint8_t ReadRegister(uint16_t address) override;
    void WriteRegister(uint16_t address, uint8_t value) override;
    std::array<PortDiagnosis, 4> Diagnose() override;

protected:
    bool BeginList() override;
    bool NextPort(PortRecord& record) override;
    bool Claim(const std::string& name) override;
    bool Unclaim() override;

private:
    std::shared_ptr<VirtualPlayer> player_;
    bool listed_ = false;
    int lockFd_ = -1;
};

}  // namespace zanto
