#include "common/cd/CDPlayback.h"

#include <algorithm>

namespace zanto::cd {

CDPlayback::CDPlayback(CDSinkFactory sinks) : sinks_(std::move(sinks)) {}

CDPlayback::~CDPlayback() { Stop(); }

bool CDPlayback::Start(const DiscToc& toc, int32_t startLsn, SectorReader reader,
                       std::string* error) {
    Stop();
    toc_ = toc;
    reader_ = std::move(reader);
    stop_ = false;
    readFailed_ = false;
    progress_ = 0;
    {
        std::lock_guard<std::mutex> lock(segmentMutex_);
        segments_.assign(1, Segment{0, startLsn});
        framesSent_ = 0;
        endLsn_ = startLsn;
        stoppedLsn_ = startLsn;
    }
    std::string why;
    if (sinks_) sink_ = sinks_([this] { OnProgress(); }, &why);
    if (!sink_) {
        if (error) *error = why.empty() ? "no sound output" : why;
        return false;
    }
    running_ = true;
    sink_->SetPaused(false);
    thread_ = std::thread(&CDPlayback::Run, this, startLsn);
    return true;
}

void CDPlayback::Stop() {
    Join();
    if (sink_) {
        const int32_t heard = HeardLsn();
        sink_.reset();
        std::lock_guard<std::mutex> lock(segmentMutex_);
        stoppedLsn_ = heard;
    }
}

void CDPlayback::Join() {
    stop_ = true;
    {
        std::lock_guard<std::mutex> lock(wakeMutex_);
    }
    wake_.notify_all();
    if (thread_.joinable()) thread_.join();
    running_ = false;
}

int32_t CDPlayback::HeardLsn() {
    if (!sink_) {
        std::lock_guard<std::mutex> lock(segmentMutex_);
        return stoppedLsn_;
    }
    const uint64_t frames = sink_->FramesPlayed();
    std::lock_guard<std::mutex> lock(segmentMutex_);
    const Segment* segment = &segments_.front();
    for (const Segment& s : segments_) {
        if (s.firstFrame <= frames) segment = &s;
    }
    const uint64_t into = (std::min(frames, framesSent_) - std::min(segment->firstFrame, frames));
    const int32_t lsn = segment->lsn + static_cast<int32_t>(into / kSamplesPerSector);
    return std::min(lsn, std::max(endLsn_, segment->lsn));
}

void CDPlayback::OnProgress() {
    progress_.fetch_add(1);
    {
        std::lock_guard<std::mutex> lock(wakeMutex_);
    }
    wake_.notify_all();
}

bool CDPlayback::WaitForProgress(uint64_t seen) {
    std::unique_lock<std::mutex> lock(wakeMutex_);
    wake_.wait(lock, [&] { return stop_.load() || progress_.load() != seen; });
    return !stop_.load();
}

void CDPlayback::Run(int32_t startLsn) {
    std::vector<int16_t> buffer(static_cast<size_t>(kChunkSectors) * kSamplesPerSector *
                                kCdChannels);
    int32_t lsn = startLsn;
    while (!stop_.load() && lsn < toc_.leadout) {
        const TocTrack* track = toc_.TrackAt(lsn);
        if (!track) break;
        if (!track->audio) {
            const TocTrack* next = nullptr;
            for (const TocTrack& t : toc_.tracks) {
                if (t.start > lsn && t.audio) {
                    next = &t;
                    break;
                }
            }
            if (!next) break;
            lsn = next->start;
            std::lock_guard<std::mutex> lock(segmentMutex_);
            segments_.push_back(Segment{framesSent_, lsn});
            endLsn_ = lsn;
            continue;
        }
        const uint32_t left = static_cast<uint32_t>(toc_.EndOf(*track) - lsn);
        const uint64_t seen = progress_.load();
        const size_t room = sink_->Space() / kSamplesPerSector;
        if (room == 0) {
            if (!WaitForProgress(seen)) break;
            continue;
        }
        const uint32_t count =
            std::min<uint32_t>({kChunkSectors, left, static_cast<uint32_t>(room)});
        // A reader that delivers short leaves silence, never the previous chunk, behind.
        std::fill(buffer.begin(), buffer.end(), int16_t{0});
        if (!reader_(lsn, count, buffer.data())) {
            readFailed_ = true;
            break;
        }
        const size_t frames = static_cast<size_t>(count) * kSamplesPerSector;
        sink_->Write(buffer.data(), frames);
        lsn += static_cast<int32_t>(count);
        std::lock_guard<std::mutex> lock(segmentMutex_);
        framesSent_ += frames;
        endLsn_ = lsn;
    }
    // Whatever was sent is still heard to its end, then play is over.
    sink_->SetEndOfInput(true);
    while (!stop_.load()) {
        const uint64_t seen = progress_.load();
        if (sink_->Drained()) break;
        if (!WaitForProgress(seen)) break;
    }
    running_ = false;
}

}  // namespace zanto::cd
