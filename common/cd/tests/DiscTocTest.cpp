#include <gtest/gtest.h>

#include "common/cd/CDTmsf.h"
#include "common/cd/DiscToc.h"

namespace zanto::cd {
namespace {

DiscToc MakeToc(std::vector<int32_t> starts, int32_t leadout) {
    DiscToc toc;
    int n = 1;
    for (int32_t s : starts) toc.tracks.push_back(TocTrack{n++, s, true});
    toc.leadout = leadout;
    return toc;
}

TEST(DiscToc, CddbDiscIdentity) {
    struct Case {
        const char* name;
        std::vector<int32_t> starts;
        int32_t leadout;
        uint32_t id;
    };
    // Worked by hand: track starts in whole seconds with the 2-second lead-in, their digit sums,
    // the length in seconds and the track count.
    const Case cases[] = {
        // 2, 202, 402 s: digit sums 2 + 4 + 6 = 12; 602 - 2 = 600 s = 0x258; 3 tracks.
        {"three tracks", {0, 15000, 30000}, 45000, 0x0C025803},
        // One track at 2 s, lead-out at 74 frames + lead-in = 224 frames = 2 s: length 0.
        {"short single track", {0}, 74, 0x02000001},
        // 2 s and 3599 s (digit sum 26): 28; lead-out 3601 s, length 3599 = 0xE0F.
        {"hour-long", {0, 269775}, 269925, 0x1C0E0F02},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        EXPECT_EQ(CddbDiscId(MakeToc(c.starts, c.leadout)), c.id);
    }
    // 99 tracks from an hour on: their digit sums add up far past 255 and wrap into the top byte.
    DiscToc many;
    for (int i = 0; i < 99; ++i) many.tracks.push_back(TocTrack{i + 1, 269775 + i * 75 * 60, true});
    many.leadout = 269775 + 99 * 75 * 60;
    EXPECT_LT(CddbDiscId(many) >> 24, 0xFFu);
    EXPECT_EQ(CddbDiscId(many) & 0xFF, 99u);
    EXPECT_EQ(CddbDiscId(DiscToc{}), 0u);
}

TEST(DiscToc, TrackLookupAndEnds) {
    const DiscToc toc = MakeToc({0, 100, 250}, 400);
    struct Case {
        int32_t lsn;
        int track;
    };
    for (const Case& c : {Case{0, 1}, Case{99, 1}, Case{100, 2}, Case{249, 2}, Case{250, 3},
                          Case{399, 3}, Case{400, 3}, Case{5000, 3}}) {
        SCOPED_TRACE(c.lsn);
        ASSERT_NE(toc.TrackAt(c.lsn), nullptr);
        EXPECT_EQ(toc.TrackAt(c.lsn)->number, c.track);
    }
    EXPECT_EQ(toc.EndOf(*toc.Find(1)), 100);
    EXPECT_EQ(toc.EndOf(*toc.Find(3)), 400);
    EXPECT_EQ(toc.Find(4), nullptr);
}

TEST(DiscToc, TmsfForms) {
    EXPECT_EQ(MakeTmsf(5, 1, 23, 0), 0x00170105u);
    EXPECT_EQ(TmsfTrack(0x00170105u), 5u);
    EXPECT_EQ(TmsfOffsetSectors(MakeTmsf(5, 1, 23, 10)), 4500u + 23 * 75 + 10);
    EXPECT_EQ(TmsfOfOffset(5, 4500 + 23 * 75 + 10), MakeTmsf(5, 1, 23, 10));
}

}  // namespace
}  // namespace zanto::cd
