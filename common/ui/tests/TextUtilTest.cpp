#include <gtest/gtest.h>

#include <QFontMetrics>

#include "common/testing/QtApp.h"
#include "common/ui/TextUtil.h"

using namespace zanto::ui;

class TextUtilTest : public ::testing::Test {
protected:
    QApplication& app_ = zanto::testkit::QtApp();  // before the font
    QFont font_ = MakeFont(QStringLiteral("MS Sans Serif"), -11);
};

TEST_F(TextUtilTest, FitTextKeepsWhatFitsAndCutsTheRestToTheLongestFittingBeginning) {
    const QFontMetrics m(font_);
    const QString name = QStringLiteral("A rather long song title that will not fit.mp3");
    const int full = m.horizontalAdvance(name);
    struct {
        int available;
        int reserved;
        bool unchanged;
    } cases[] = {
        {full, 0, true},        // exactly fits
        {full + 12, 12, true},  // fits with the reserve
        {full + 11, 12, false}, // one pixel short because of the reserve
        {full / 2, 4, false},
        {40, 12, false},
    };
    for (const auto& c : cases) {
        const QString out = FitText(m, name, c.available, c.reserved);
        if (c.unchanged) {
            EXPECT_EQ(out, name) << c.available;
            continue;
        }
        ASSERT_TRUE(out.endsWith(QStringLiteral("..."))) << c.available;
        const QString kept = out.chopped(3);
        EXPECT_TRUE(name.startsWith(kept));
        EXPECT_LE(m.horizontalAdvance(out) + c.reserved, c.available) << c.available;
        // One more character would not have fitted.
        const QString longer = name.left(kept.size() + 1) + QStringLiteral("...");
        EXPECT_GT(m.horizontalAdvance(longer) + c.reserved, c.available) << c.available;
    }
}

TEST_F(TextUtilTest, FitTextEdgeCases) {
    const QFontMetrics m(font_);
    EXPECT_EQ(FitText(m, QString(), 0, 12), QString());
    // Not even one character fits: only the ellipsis remains.
    EXPECT_EQ(FitText(m, QStringLiteral("Wide"), 1, 0), QStringLiteral("..."));
    // A character outside the basic plane is never split in half.
    const QString clef = QString::fromUtf8("\xF0\x9D\x84\x9E");
    const QString text = QStringLiteral("ab") + clef + clef + clef + clef + QStringLiteral("cdefghij");
    for (int width = 0; width < m.horizontalAdvance(text); ++width) {
        const QString out = FitText(m, text, width, 0);
        for (qsizetype i = 0; i < out.size(); ++i) {
            if (out.at(i).isHighSurrogate()) {
                ASSERT_TRUE(i + 1 < out.size() && out.at(i + 1).isLowSurrogate()) << width;
            }
        }
    }
}

TEST_F(TextUtilTest, MakeFontUsesAnInstalledFaceAtThePixelHeight) {
    struct {
        const char* face;
        int height;
        const char* family;
        int pixels;
    } cases[] = {
        {"MS Sans Serif", -11, "Liberation Sans", 11},
        {"MS Serif", -8, "Liberation Serif", 8},
        {"Century Gothic", -13, "URW Gothic", 13},
        {"DejaVu Sans", 12, "DejaVu Sans", 12},
    };
    for (const auto& c : cases) {
        const QFont f = MakeFont(QString::fromLatin1(c.face), c.height);
        EXPECT_EQ(f.pixelSize(), c.pixels) << c.face;
        EXPECT_EQ(f.weight(), QFont::Normal);
        EXPECT_FALSE(f.italic() || f.underline() || f.strikeOut());
        EXPECT_EQ(f.families().front(), QString::fromLatin1(c.family));
        // The face is really there, so the metrics are the intended ones.
        EXPECT_TRUE(QFontInfo(f).family().startsWith(QString::fromLatin1(c.family))) << c.face << ": " << QFontInfo(f).family().toStdString();
    }
}

namespace {
QString g_lastText;
unsigned g_lastType = 0;
int RecordingBox(const char* text, QWidget*, unsigned type) {
    g_lastText = QString::fromUtf8(text);
    g_lastType = type;
    return kIdNo;
}
QString Strings(int id) { return id == 131 ? QStringLiteral("The Flash Memory format is an older version.") : QString(); }
}  // namespace

TEST_F(TextUtilTest, ShowMessageGoesThroughTheInstalledBox) {
    SetMessageBoxProc(nullptr);
    // Without a box nothing can be asked; the caller gets OK instead of a crash.
    EXPECT_EQ(ShowMessage(QStringLiteral("Delete?"), nullptr, kMbYesNo), kIdOk);

    SetMessageBoxProc(+[](const char*, QWidget*, unsigned) { return kIdCancel; });
    SetMessageBoxProc(&RecordingBox);  // the last one lent wins
    EXPECT_EQ(LentSkinServices().messageBox, &RecordingBox);
    EXPECT_EQ(ShowMessage(QString::fromUtf8("Löschen?"), nullptr, kMbYesNo | kMbDefButton2), kIdNo);
    EXPECT_EQ(g_lastText, QString::fromUtf8("Löschen?"));
    EXPECT_EQ(g_lastType, kMbYesNo | kMbDefButton2);

    SetStringLookup(&Strings);
    ShowMessage(131, nullptr, kMbOk);
    EXPECT_EQ(g_lastText, QStringLiteral("The Flash Memory format is an older version."));
    SetMessageBoxProc(nullptr);
    SetStringLookup(nullptr);
}
