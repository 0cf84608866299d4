#include <gtest/gtest.h>

#include <QImage>
#include <QString>
#include <cstdlib>
#include <filesystem>
#include <string>

#include "common/testing/TempDir.h"
#include "zantodesk/skin/SkinLayout.h"

TEST(SkinGalleryTest, RendersEveryPictureControlListAndMessageBoxHeadless) {
    zanto::testkit::TempDir dir;
    ASSERT_FALSE(dir.Path().empty());
    const std::string command = std::string("'") + SKINGALLERY_PROGRAM + "' '" + dir.Path() + "/out' >/dev/null 2>&1";
    ASSERT_EQ(std::system(command.c_str()), 0);
    const std::string out = dir.Path() + "/out/";
    auto image = [&](const std::string& name) { return QImage(QString::fromStdString(out + name + ".png")); };

    for (int n = 0; n < zanto::skin::kBitmapCount; ++n) {
        const int resource = zanto::skin::kBitmapSlots[static_cast<size_t>(n)].resource;
        char name[32];
        std::snprintf(name, sizeof name, "skin_%02d_res%d", n, resource);
        EXPECT_EQ(image(name).isNull(), resource == 0) << name;
    }
    struct {
        const char* name;
        int width;
        int height;
    } expected[] = {
        {"window_player", 340, 99}, {"window_cd", 411, 226}, {"window_playlist", 411, 226},
        {"window_memory_internal", 410, 255}, {"window_memory_card", 410, 255},
        {"messagebox_ok", 231, 106}, {"messagebox_okcancel", 0, 0}, {"messagebox_abortretryignore", 0, 0},
        {"messagebox_yesnocancel", 0, 0}, {"messagebox_yesno", 0, 0}, {"messagebox_retrycancel", 0, 0},
        {"list_rows", 0, 0}, {"list_mark_after_last", 0, 0}, {"controls_buttons", 0, 0}, {"controls_slider", 0, 0},
        {"controls_latch", 0, 0}, {"controls_label", 0, 0}, {"icons", 0, 0}, {"picture_212", 132, 106},
    };
    for (const auto& e : expected) {
        const QImage i = image(e.name);
        ASSERT_FALSE(i.isNull()) << e.name;
        if (e.width != 0) {
            EXPECT_EQ(i.size(), QSize(e.width, e.height)) << e.name;
            if (std::string(e.name).rfind("picture_", 0) != 0) {
                EXPECT_EQ(image(std::string(e.name) + "@2x").size(), QSize(2 * e.width, 2 * e.height)) << e.name;
            }
        }
    }
    // Outside its shape a window is transparent; inside it is drawn.
    const QImage player = image("window_player");
    EXPECT_EQ(qAlpha(player.pixel(5, 30)), 0);
    EXPECT_EQ(qAlpha(player.pixel(300, 5)), 255);
}

TEST(SkinGalleryTest, RefusesAMissingFolderArgument) {
    const std::string command = std::string("'") + SKINGALLERY_PROGRAM + "' >/dev/null 2>&1";
    EXPECT_NE(std::system(command.c_str()), 0);
}
