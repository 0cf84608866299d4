// The texts of a file-list row and the choice of initialization.
#include <gtest/gtest.h>

#include <cstdlib>

#include "memview/link/EntryText.h"
#include "memview/link/InitializeChoice.h"
#include "memview/link/tests/DeviceRig.h"

using namespace zanto;
using namespace zanto::testkit;

namespace {

TEST(EntryTextTest, PropertyTextFollowsTheRowRule) {
    struct Case {
        uint32_t header, size;
        uint8_t state;
        const char* expected;
    };
    const Case cases[] = {
        {0xFFFB9044, 4000000, 0, "04:10 128Kbps 44.1KHz"},   // MPEG-1 L3 128k 44.1k
        {0xFFFB9044, 2960000, 0, "03:05 128Kbps 44.1KHz"},   // 185 s
        {0xFFF380C4, 64000, 2, "00:08 64Kbps 22.0KHz"},      // MPEG-2 L3 64k 22.05k
        {0xFFFB9444, 160000, 0, "00:10 128Kbps 48KHz"},      // 48 kHz
        {0xFFFB9044, 0, 0, "00:00 128Kbps 44.1KHz"},
        {0xFFFB9044, 4000000, 6, ""},                        // an address entry
        {0, 4000000, 0, ""},                                 // no header
        {0x12345678, 4000000, 0, ""},                        // no sync
        {0xFFFB0044, 4000000, 0, ""},                        // free format: no bit rate
        {0xFFFBF044, 4000000, 0, ""},                        // bit-rate index 15
    };
    for (const auto& c : cases) {
        FileEntry e;
        e.header = c.header;
        e.size = c.size;
        e.state = c.state;
        EXPECT_EQ(EntryPropertyText(e), c.expected) << std::hex << c.header << std::dec << " "
                                                    << c.size;
    }
}

TEST(EntryTextTest, DateAndSizeTexts) {
    setenv("TZ", "UTC", 1);
    tzset();
    FileEntry e;
    e.time = 946729845;  // 2000-01-01 12:30:45 UTC
    e.size = 123456;
    EXPECT_EQ(EntryDateText(e), "00-01-01 PM 12:30:45");
    EXPECT_EQ(EntrySizeText(e), "123456");
    e.state = 6;
    EXPECT_EQ(EntryDateText(e), "");
    EXPECT_EQ(EntrySizeText(e), "");
}

struct Answers : InitializeQuestions {
    std::vector<bool> replies;
    std::vector<unsigned> asked;
    bool AskYesNo(unsigned id, const std::string&) override {
        asked.push_back(id);
        const bool r = replies.empty() ? false : replies.front();
        if (!replies.empty()) replies.erase(replies.begin());
        return r;
    }
};

TEST(InitializeChoiceTest, FormatDecidesAndAnswersAreHonoured) {
    // A card formatted by other equipment: the second question decides.
    auto otherEquipment = [](DeviceRig& rig) {
        std::vector<uint8_t> b(kBlockSize, 0);
        std::memcpy(b.data(), kCardSignature, sizeof kCardSignature);
        rig.WriteRaw(0, b);
    };
    {
        DeviceRig rig({0xE6}, std::vector<uint8_t>{0xE6}, MemoryType::Card);
        otherEquipment(rig);
        Answers no;
        no.replies = {true, false};
        EXPECT_EQ(ChooseInitialization(*rig.device, &no), InitializeKind::Declined);
        EXPECT_EQ(no.asked, (std::vector<unsigned>{5, 11}));
        const auto before = rig.BlockData(0);
        EXPECT_EQ(0, std::memcmp(before.data(), kCardSignature, sizeof kCardSignature));

        Answers yes;
        yes.replies = {true, true};
        const InitializeKind kind = ChooseInitialization(*rig.device, &yes);
        EXPECT_EQ(kind, InitializeKind::Scan);
        ASSERT_TRUE(RunInitialization(*rig.device, kind, nullptr));
        FormatState state;
        ASSERT_TRUE(rig.NewDevice()->CheckFormat(&state));
        EXPECT_EQ(state, FormatState::Formatted);
    }
    {
        // Driven by another program: no question is asked, every answer is Yes.
        DeviceRig rig({0xE6}, std::vector<uint8_t>{0xE6}, MemoryType::Card);
        otherEquipment(rig);
        rig.device->SetShowErrors(false);
        Answers never;
        EXPECT_EQ(ChooseInitialization(*rig.device, &never), InitializeKind::Scan);
        EXPECT_TRUE(never.asked.empty());
    }
    {
        DeviceRig rig;
        Answers no;
        no.replies = {false};
        EXPECT_EQ(ChooseInitialization(*rig.device, &no), InitializeKind::Declined);
        EXPECT_EQ(ChooseInitialization(*rig.device, nullptr), InitializeKind::Scan);
        ASSERT_TRUE(RunInitialization(*rig.device, InitializeKind::Scan, nullptr));
        EXPECT_EQ(ChooseInitialization(*rig.device, nullptr), InitializeKind::Quick);
        EXPECT_FALSE(RunInitialization(*rig.device, InitializeKind::Declined, nullptr));
    }
    {
        DeviceRig rig({0xE6}, std::vector<uint8_t>{0xE6}, MemoryType::Card);
        EXPECT_EQ(ChooseInitialization(*rig.device, nullptr), InitializeKind::NotRecognised);
    }
}

}  // namespace
