// libFuzzer target for the media probes: any bytes must be probed without a stray read or a hang.
#include <cstddef>
#include <cstdint>

#include "common/MediaProbe.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    zanto::MemorySource source(data, size);
    (void)zanto::ProbeMpegFrame(source);
    zanto::WaveFormat format;
    (void)zanto::ProbeRiffWave(source, 1, &format);
    return 0;
}
