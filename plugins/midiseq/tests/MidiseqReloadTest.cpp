// A host loads a plug-in for every file it opens and unloads it afterwards: the synthesizer must
// come up again after its plug-in has been unloaded once (its libraries used to hang on that).
#include <gtest/gtest.h>

#include "common/stream/MediaFileStream.h"
#include "common/testing/DummyAudio.h"
#include "common/testing/HmaLibrary.h"
#include "common/testing/MidiFixtures.h"
#include "common/testing/TempDir.h"

using namespace zanto::testkit;

TEST(MidiseqReload, TheSynthesizerComesUpAgainAfterAnUnload) {
    TempDir dir;
    std::string path = dir / "tune.mid";
    ASSERT_TRUE(WriteFile(path, MidiTune()));
    for (int round = 0; round < 3; ++round) {
        SCOPED_TRACE(round);
        HmaLibrary lib(MIDISEQ_PLUGIN);
        ASSERT_TRUE(lib.Complete());
        CMediaFileStream s;
        ASSERT_TRUE(s.Open(path.c_str()));
        ASSERT_EQ(lib.canBeOpen(&s), HMA_OPEN_YES);
        HMA_HANDLE h = lib.open(&s);
        ASSERT_NE(h, nullptr);
        EXPECT_EQ(lib.getDuration(h), 2000);
        lib.stop(h);
        lib.clear(h);
    }
}
