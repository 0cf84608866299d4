#pragma once
// The playback device's output on the common sound output (one sink per opened output).
#include "common/playback/PcmOutput.h"

namespace zanto::playback {

OutputFactory SoundOutput();

}  // namespace zanto::playback
