#pragma once
// The player object behind a cdtrack handle: one CD track, given by its track file, played by the
// drive from the track's start (or a remembered position) and watched by a play thread of its own
// that ends the item when the drive passes into the next track.
//
// Play states: 0 opened and never played, 1 playing, 2 paused, 3 stopped or ended. The host's
// thread calls every operation; the play thread shares the state, the resume position and the
// drive (whose own lock serialises the calls from both).
#include <atomic>
#include <cstdint>
#include <functional>
#include <memory>
#include <mutex>
#include <thread>

#include "common/Clock.h"
#include "common/cd/CDDevice.h"
#include "common/cd/CDTrackFile.h"
#include "common/mixer/MixerVolume.h"
#include "plugins/contract/MediaStream.h"

namespace cdtrack {

enum PlayState : int { kOpened = 0, kPlaying = 1, kPaused = 2, kStopped = 3 };

// What a player needs from outside; tests hand in their own clock, drive and mixer.
struct PlayerParts {
    zanto::Clock* clock = &zanto::Clock::System();
    std::function<std::unique_ptr<CCDDevice>()> makeDrive;
    std::shared_ptr<zanto::MixerBackend> mixer;  // null: the ALSA mixer
};

class CdTrackPlayer {
public:
    // Steps of the host-side waits and of the play thread's watch.
    static constexpr std::chrono::milliseconds kPollStep{10};
    static constexpr std::chrono::milliseconds kWatchStep{100};
    static constexpr std::chrono::milliseconds kSettleTime{500};

    explicit CdTrackPlayer(PlayerParts parts);
    ~CdTrackPlayer();
    CdTrackPlayer(const CdTrackPlayer&) = delete;
    CdTrackPlayer& operator=(const CdTrackPlayer&) = delete;

    // Reads the track file; false when the stream holds none. Then opens the CD line's volume.
    bool Open(CMediaStream& stream);
    // Stops and waits for the play thread to end.
    void Shutdown();

    void Play();
    void Stop();
    void Pause();
    int32_t Duration();
    int32_t State();
    int32_t Position();
    void SetPos(int32_t ms);
    int32_t GetData(int32_t code, void* buffer, int32_t size);
    int32_t SetData(int32_t code, void* buffer, int32_t size);

    int PlayStateForTest() const { return state_.load(); }
    uint32_t ResumeForTest() const { return resume_.load(); }

private:
    void Run();
    void WaitUntilIdle();
    static int32_t MsOfTmsf(uint32_t tmsf);

    zanto::Clock& clock_;
    CCDTrackFile track_;
    std::unique_ptr<CCDDevice> drive_;
    zanto::CMixerVolume volume_;

    std::mutex stateMutex_;  // makes Stop and the thread's start of play exclude each other
    std::atomic<int> state_{kStopped};
    std::atomic<uint32_t> resume_{0};
    std::atomic<bool> stopRequested_{false};
    std::atomic<bool> idle_{true};     // no play thread runs
    std::atomic<bool> started_{false}; // the thread has tried to open the drive
    std::thread thread_;
};

}  // namespace cdtrack
