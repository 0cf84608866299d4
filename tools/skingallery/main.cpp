// Renders the skin for review, headless: every picture of the skin store, the program's other
// pictures and icons, the windows assembled from their skin elements (also at twice the size, the
// way QT_SCALE_FACTOR=2 shows them), each control in each state, a list with every kind of row and
// an insertion mark, and message boxes of every type. usage: skingallery OUTPUT_FOLDER
// Run with QT_SCALE_FACTOR=2 to see the program as it is drawn at twice the size (pictures doubled
// pixel for pixel, text drawn at the larger size).
#include <QApplication>
#include <QDir>
#include <QMouseEvent>
#include <QPainter>
#include <cstdio>

#include "common/ui/BitmapButton.h"
#include "common/ui/BitmapSlider.h"
#include "common/ui/LatchButton.h"
#include "common/ui/MarginLabel.h"
#include "common/ui/MxListCtrlEx.h"
#include "common/ui/SkinApply.h"
#include "common/ui/SkinCallbacks.h"
#include "common/ui/TextUtil.h"
#include "resources/Pictures.h"
#include "zantodesk/skin/SkinMessageBox.h"
#include "zantodesk/skin/SkinStore.h"

using namespace zanto;

namespace {

QDir g_out;
int g_failures = 0;

void Save(const QImage& image, const QString& name) {
    if (!image.save(g_out.filePath(name + QStringLiteral(".png")), "PNG")) {
        std::fprintf(stderr, "skingallery: cannot write %s.png\n", qPrintable(name));
        ++g_failures;
    }
}

// What widget shows, in device pixels (twice its size under QT_SCALE_FACTOR=2).
QImage Grab(QWidget* widget) {
    QImage image = widget->grab().toImage().convertToFormat(QImage::Format_ARGB32);
    image.setDevicePixelRatio(1);
    return image;
}

// The widget's picture with everything outside shape (in widget pixels) made transparent.
QImage Shaped(const QImage& image, const QRegion& shape, QWidget* widget) {
    const qreal scale = widget->devicePixelRatioF();
    QImage out(image.size(), QImage::Format_ARGB32);
    out.fill(Qt::transparent);
    QPainter p(&out);
    p.setClipRegion(QTransform::fromScale(scale, scale).map(shape));
    p.drawImage(0, 0, image);
    return out;
}

QImage Doubled(const QImage& image) { return image.scaled(image.size() * 2, Qt::IgnoreAspectRatio, Qt::FastTransformation); }

// Pictures side by side on a neutral ground, with gaps.
QImage Row(const QList<QImage>& images, int gap = 8) {
    int width = gap;
    int height = 0;
    for (const QImage& i : images) {
        width += i.width() + gap;
        height = std::max(height, i.height());
    }
    QImage out(width, height + 2 * gap, QImage::Format_ARGB32);
    out.fill(QColor(0x2a, 0x2d, 0x31));
    QPainter p(&out);
    int x = gap;
    for (const QImage& i : images) {
        p.drawImage(x, gap, i);
        x += i.width() + gap;
    }
    return out;
}

const QPixmap* SkinPicture(int n, QPoint* at = nullptr, uint32_t* words = nullptr) {
    const QPixmap* picture = nullptr;
    uint32_t position[2] = {0, 0};
    skin::GetSkinBitmap(n, &picture, nullptr, position);
    if (at != nullptr) {
        *at = QPoint(static_cast<int>(position[0] & 0xFFFF), static_cast<int>(position[1] & 0xFFFF));
    }
    if (words != nullptr) {
        words[0] = position[0];
        words[1] = position[1];
    }
    return picture;
}

// A window assembled from the skin: its background, its keys in their places and its text boxes.
class Preview : public QWidget {
public:
    Preview(int background, int region) : background_(background) {
        skin::GetSkinRegion(region, &shape_);
        resize(SkinPicture(background)->size());
    }

    ui::BitmapButton* AddButton(int n) {
        auto* button = new ui::BitmapButton(this);
        button->setFocusPolicy(Qt::NoFocus);
        ui::ApplySkinButton(button, n, &skin::GetSkinBitmap);
        return button;
    }

    void AddSlider(int n, int position) {
        auto* slider = new ui::BitmapSlider(this);
        ui::ApplySkinSlider(slider, n, &skin::GetSkinBitmap);
        slider->SetPosition(position);
    }

    // Text in skin font n at its box.
    void AddText(int font, const QString& text, bool player = false) {
        texts_.push_back({font, text, player});
    }

    void AddFrame(int n, int frame, int frames) { frames_.push_back({n, frame, frames}); }
    void AddDigits(const QString& time) { time_ = time; }

    QRegion Shape() const { return shape_; }

protected:
    void paintEvent(QPaintEvent*) override {
        QPainter p(this);
        p.drawPixmap(0, 0, *SkinPicture(background_));
        for (const auto& f : frames_) {
            QPoint at;
            const QPixmap* picture = SkinPicture(f.n, &at);
            const int h = picture->height() / f.frames;
            p.drawPixmap(at, *picture, QRect(0, f.frame * h, picture->width(), h));
        }
        if (!time_.isEmpty()) {
            uint32_t words[2];
            const QPixmap* strip = SkinPicture(21, nullptr, words);
            const int glyph = strip->width() / 11;
            QPoint at(static_cast<int>(words[0] & 0xFFFF), static_cast<int>(words[1] & 0xFFFF));
            for (QChar c : time_) {
                if (c == QLatin1Char(':')) {
                    at = QPoint(static_cast<int>(words[0] >> 16), static_cast<int>(words[1] >> 16));
                    continue;
                }
                const int g = c == QLatin1Char(' ') ? 0 : (c.isDigit() ? c.digitValue() : 10);
                p.drawPixmap(at, *strip, QRect(g * glyph, 0, glyph, strip->height()));
                at.rx() += glyph;
            }
        }
        for (const auto& t : texts_) {
            const QFont* font = nullptr;
            QRgb text = 0;
            QRgb back = 0;
            uint32_t box[2];
            skin::GetSkinFont(t.font, &font, &text, &back, box);
            p.setFont(*font);
            p.setPen(QColor(text));
            const int x = static_cast<int>(box[0] & 0xFFFF);
            const int y = static_cast<int>(box[1] & 0xFFFF);
            int w = static_cast<int>(box[0] >> 16);
            int h = t.player ? QFontMetrics(*font).height() : static_cast<int>(box[1] >> 16);
            if (w == 0) {
                w = QFontMetrics(*font).horizontalAdvance(t.text);
            }
            p.drawText(QRect(x, y, w, h), Qt::AlignLeft | Qt::AlignVCenter, t.text);
        }
    }

private:
    struct Text {
        int font;
        QString text;
        bool player;
    };
    struct Frame {
        int n;
        int frame;
        int frames;
    };
    int background_;
    QRegion shape_;
    std::vector<Text> texts_;
    std::vector<Frame> frames_;
    QString time_;
};

void SaveWindow(Preview& preview, const QString& name) {
    const QImage image = Shaped(Grab(&preview), preview.Shape(), &preview);
    Save(image, name);
    Save(Doubled(image), name + QStringLiteral("@2x"));
}

// A list placed, coloured and lettered by skin font n, as the windows set theirs up.
ui::MxListCtrlEx* SkinList(QWidget* parent, int n) {
    const QFont* font = nullptr;
    QRgb text = 0;
    QRgb back = 0;
    uint32_t box[2];
    skin::GetSkinFont(n, &font, &text, &back, box);
    auto* list = new ui::MxListCtrlEx(parent);
    list->setGeometry(static_cast<int>(box[0] & 0xFFFF), static_cast<int>(box[1] & 0xFFFF), static_cast<int>(box[0] >> 16),
                      static_cast<int>(box[1] >> 16));
    list->setFont(*font);
    list->setFrameShape(QFrame::NoFrame);
    list->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    list->SetOwnerDraw(true);
    list->SetTextColour(QColor(text));
    list->SetTextBackColour(QColor(back));
    list->SetBackColour(QColor(back));
    list->SetShowSelectionAlways(true);
    return list;
}

void SkinPictures() {
    for (int n = 0; n < skin::kBitmapCount; ++n) {
        const QPixmap* picture = nullptr;
        skin::GetSkinBitmap(n, &picture, nullptr, nullptr);
        if (picture != nullptr && !picture->isNull()) {
            Save(picture->toImage(), QStringLiteral("skin_%1_res%2").arg(n, 2, 10, QLatin1Char('0')).arg(skin::kBitmapSlots[static_cast<size_t>(n)].resource));
        }
    }
    for (int resource : {131, 136, 137, 211, 212, 214, 215, 216, 217, 218, 219, 220, 221, 225}) {
        Save(resources::LoadPlainPicture(resource).toImage(), QStringLiteral("picture_%1").arg(resource));
    }
    QList<QImage> icons;
    for (int icon : {128, 140, 142, 136, 141, 143, 203, 205, 204, 206}) {
        const QImage image = resources::LoadIcon(icon).toImage();
        Save(image, QStringLiteral("icon_%1").arg(icon));
        icons << Doubled(image);
    }
    Save(Row(icons), QStringLiteral("icons"));
}

void Windows() {
    Preview player(0, 0);
    for (int n : {2, 7, 9, 10, 11, 12, 15, 16, 17, 18, 19, 20, 23, 24}) {
        player.AddButton(n);
    }
    player.AddSlider(13, 38);
    player.AddSlider(14, 75);
    player.AddDigits(QStringLiteral(" 1:47"));
    player.AddFrame(22, 1, 3);
    player.AddFrame(25, 1, 2);
    player.AddText(0, QStringLiteral("Midnight Ferry - Harbour Lights (04:36)"), true);
    player.AddText(1, QStringLiteral("128KBps"), true);
    player.AddText(2, QStringLiteral("44KHz"), true);
    player.AddText(3, QStringLiteral("MP3"), true);
    SaveWindow(player, QStringLiteral("window_player"));

    Preview cd(26, 1);
    for (int n : {27, 28, 31, 32, 33, 35, 36, 37}) {
        cd.AddButton(n);
    }
    cd.AddText(4, QStringLiteral("Coastal Radio Sessions"));
    cd.AddText(5, QStringLiteral("The Lantern Quartet"));
    cd.AddText(7, QStringLiteral("Audio CD ready, 11 tracks"));
    auto* tracks = SkinList(&cd, 6);
    tracks->InsertColumn(0, QStringLiteral("Tracks"), Qt::AlignLeft, 226);
    tracks->InsertColumn(1, QStringLiteral("Time"), Qt::AlignRight, 58);
    const char* names[] = {"Low Tide", "Signal Fires", "Copper Wire", "Northbound", "Still Water", "Ferryman"};
    const char* times[] = {"03:07", "04:41", "12:30", "02:58", "05:12", "03:33"};
    for (int i = 0; i < 6; ++i) {
        tracks->InsertItem(i, QString::fromLatin1(names[i]), -1, i + 1);
        tracks->SetItemText(i, 1, QString::fromLatin1(times[i]));
    }
    tracks->SetItemSelected(2, true);
    SaveWindow(cd, QStringLiteral("window_cd"));

    Preview playlist(38, 2);
    for (int n : {40, 41, 44, 45, 46, 47, 48, 49, 50, 51, 52, 53, 54}) {
        playlist.AddButton(n);
    }
    for (int n : {42, 43}) {
        auto* latch = new ui::LatchButton(&playlist);
        ui::ApplySkinLatch(latch, n, &skin::GetSkinBitmap);
        latch->SetLatched(n == 42);
    }
    auto* songs = SkinList(&playlist, 8);
    songs->InsertColumn(0, QStringLiteral("Name"), Qt::AlignLeft, 301 - 110 + 110);
    songs->SetImageList({resources::LoadIcon(203), resources::LoadIcon(205), resources::LoadIcon(204), resources::LoadIcon(206)}, ui::MxListCtrlEx::kSmallImages);
    songs->SetLabelCallback([](QString& text, int row, qintptr) { text = QStringLiteral("%1. %2").arg(row + 1).arg(text); });
    const char* titles[] = {"Harbour Lights.mp3", "Signal Fires.mp3", "Copper Wire.wav", "Glass Cathedral (extended night mix).mp3", "Northbound.mid"};
    const int icons[] = {2, 3, 2, 0, 2};
    for (int i = 0; i < 5; ++i) {
        songs->InsertItem(i, QString::fromLatin1(titles[i]), icons[i], i + 1);
        songs->SetItemSelected(i, icons[i] >= 2);
    }
    SaveWindow(playlist, QStringLiteral("window_playlist"));

    for (int card = 0; card < 2; ++card) {
        const int base = card ? 69 : 55;
        Preview memory(base, card ? 5 : 4);
        for (int n = base + 2; n <= base + 13; ++n) {
            memory.AddButton(n);
        }
        auto* files = SkinList(&memory, card ? 14 : 11);
        files->InsertColumn(0, QStringLiteral("Name"), Qt::AlignLeft, 301 - 70 - 72);
        files->InsertColumn(1, QStringLiteral("Size"), Qt::AlignRight, 70);
        files->InsertColumn(2, QStringLiteral("Date"), Qt::AlignLeft, 72);
        files->SetImageList({resources::LoadIcon(140), resources::LoadIcon(142), resources::LoadIcon(136), resources::LoadIcon(141), resources::LoadIcon(143)}, ui::MxListCtrlEx::kSmallImages);
        struct Row {
            const char* name;
            const char* size;
            int icon;
        };
        const Row rows[] = {{"Harbour Lights.mp3", "4.2 MB", 0}, {"Signal Fires.mp3", "3.9 MB", 0}, {"notes.txt", "2 KB", 1},
                            {"Copper Wire.mp3", "5.1 MB", 2}, {"Northbound.mp3", "3.3 MB", 3}};
        for (int i = 0; i < 5; ++i) {
            files->InsertItem(i, QString::fromLatin1(rows[i].name), rows[i].icon, i + 1);
            files->SetItemText(i, 1, QString::fromLatin1(rows[i].size));
            files->SetItemText(i, 2, QStringLiteral("1999-06-1%1").arg(i));
        }
        files->SetItemSelected(1, true);
        for (int side = 0; side < 2; ++side) {
            const QFont* font = nullptr;
            QRgb text = 0;
            QRgb back = 0;
            uint32_t box[2];
            skin::GetSkinFont((card ? 12 : 9) + side, &font, &text, &back, box);
            auto* label = new ui::MarginLabel(&memory);
            label->setGeometry(static_cast<int>(box[0] & 0xFFFF), static_cast<int>(box[1] & 0xFFFF), static_cast<int>(box[0] >> 16),
                               static_cast<int>(box[1] >> 16));
            label->setFont(*font);
            label->setText(side ? QStringLiteral("Total 32.0 MB") : QStringLiteral("Free 14.2 MB"));
            label->setAlignment(side ? Qt::AlignRight : Qt::AlignLeft);
            label->SetBackColour(QColor(back));
            label->SetTextColour(QColor(text));
            label->SetFrameColour(QColor(0x5a, 0x6a, 0x5a));
        }
        SaveWindow(memory, card ? QStringLiteral("window_memory_card") : QStringLiteral("window_memory_internal"));
    }
}

// A button in each of its four states, through the control itself.
void ButtonStates(QWidget& host) {
    QList<QImage> rows;
    for (int n : {9, 8, 10, 11, 7, 2, 12, 16, 19, 57, 40, 27}) {
        QList<QImage> states;
        QPoint at;
        const QPixmap* picture = SkinPicture(n, &at);
        for (int state = 0; state < 4; ++state) {
            ui::BitmapButton button(&host);
            button.SetPictures(picture, nullptr, true);
            button.MoveTo(0, 0);
            button.show();
            if (state == 0) {
                button.setFocusPolicy(Qt::NoFocus);
                button.clearFocus();
            } else if (state == 1) {
                button.setDown(true);
            } else if (state == 2) {
                QMouseEvent move(QEvent::MouseMove, QPointF(2, 2), QPointF(2, 2), Qt::NoButton, Qt::NoButton, Qt::NoModifier);
                QCoreApplication::sendEvent(&button, &move);
                if (!button.IsHot()) {
                    button.setFocus();
                }
            } else if (state == 3) {
                button.setEnabled(false);
            }
            states << Doubled(Grab(&button));
        }
        rows << Row(states, 6);
    }
    int w = 0;
    int h = 0;
    for (const QImage& r : rows) {
        w = std::max(w, r.width());
        h += r.height();
    }
    QImage sheet(w, h, QImage::Format_ARGB32);
    sheet.fill(QColor(0x2a, 0x2d, 0x31));
    QPainter p(&sheet);
    int y = 0;
    for (const QImage& r : rows) {
        p.drawImage(0, y, r);
        y += r.height();
    }
    p.end();
    Save(sheet, QStringLiteral("controls_buttons"));

    QList<QImage> latches;
    for (int state = 0; state < 3; ++state) {
        ui::LatchButton latch(&host);
        latch.SetPictures(SkinPicture(42), nullptr, true);
        latch.MoveTo(0, 0);
        latch.SetLatched(state == 1);
        latch.setEnabled(state != 2);
        latches << Doubled(Grab(&latch));
    }
    Save(Row(latches), QStringLiteral("controls_latch"));

    QList<QImage> sliders;
    for (int state = 0; state < 4; ++state) {
        uint32_t words[2];
        const QPixmap* picture = SkinPicture(13, nullptr, words);
        ui::BitmapSlider slider(&host);
        slider.SetPicture(picture, nullptr, static_cast<int>(words[0] >> 16), true);
        slider.MoveTo(0, 0);
        slider.SetPosition(state == 0 ? 0 : state == 1 ? 50 : 100);
        slider.setEnabled(state != 3);
        sliders << Doubled(Grab(&slider));
    }
    Save(Row(sliders), QStringLiteral("controls_slider"));

    QList<QImage> labels;
    for (int right = 0; right < 2; ++right) {
        ui::MarginLabel label(&host);
        label.resize(150, 17);
        label.SetMargins(1, 1, 1, 3);
        label.setText(right ? QStringLiteral("Total 32.0 MB") : QStringLiteral("Free 14.2 MB"));
        if (right) {
            label.setAlignment(Qt::AlignRight);
        }
        labels << Doubled(Grab(&label));
    }
    Save(Row(labels), QStringLiteral("controls_label"));
}

void ListSample(QWidget& host) {
    ui::MxListCtrlEx list(&host);
    list.resize(360, 200);
    list.SetOwnerDraw(true);
    list.InsertColumn(0, QStringLiteral("Name"), Qt::AlignLeft, 170);
    list.InsertColumn(1, QStringLiteral("Size"), Qt::AlignRight, 56);
    list.InsertColumn(2, QStringLiteral("Property"), Qt::AlignHCenter, 110);
    list.SetImageList({resources::LoadIcon(140), resources::LoadIcon(142), resources::LoadIcon(136), resources::LoadIcon(141), resources::LoadIcon(143)}, ui::MxListCtrlEx::kSmallImages);
    list.setFont(ui::MakeFont(QStringLiteral("MS Sans Serif"), -11));
    list.SetTextColour(Qt::black);
    list.SetTextBackColour(QColor(192, 220, 192));
    list.SetBackColour(QColor(192, 220, 192));
    list.SetShowSelectionAlways(true);
    list.SetLabelCallback([](QString& text, int row, qintptr) { text = QStringLiteral("%1 %2").arg(row + 1, 2).arg(text); });
    struct Row {
        const char* name;
        const char* size;
        const char* property;
        int icon;
        qintptr data;
    };
    const Row rows[] = {
        {"Harbour Lights.mp3", "4,213 KB", "128 kbps 44 kHz", 0, 1},
        {"Signal Fires.mp3", "3,902 KB", "160 kbps 44 kHz", 0, 2},
        {"A very long file name that cannot fit the column at all.mp3", "123,456,789 KB", "112 kbps 32 kHz", 3, 3},
        {"Web files", "", "", -1, ui::MxListCtrlEx::kSeparatorData},
        {"Copper Wire.mp3", "5,101 KB", "incomplete", 2, 4},
        {"http://radio.example/live.mp3", "", "", 4, 5},
        {"notes.txt", "2 KB", "data", 1, 6},
    };
    for (int i = 0; i < 7; ++i) {
        list.InsertItem(i, QString::fromLatin1(rows[i].name), rows[i].icon, rows[i].data);
        list.SetItemText(i, 1, QString::fromLatin1(rows[i].size));
        list.SetItemText(i, 2, QString::fromLatin1(rows[i].property));
    }
    list.SetItemSelected(1, true);
    list.SetItemSelected(2, true);
    list.SetItemCut(6, true);
    list.SetInsertionMark(5);
    Save(Grab(&list), QStringLiteral("list_rows"));
    list.SetInsertionMark(list.ItemCount());
    Save(Grab(&list), QStringLiteral("list_mark_after_last"));
}

void MessageBoxes() {
    struct Sample {
        unsigned type;
        const char* name;
        const char* text;
    };
    const Sample samples[] = {
        {ui::kMbOk, "ok", "Download complete."},
        {ui::kMbOkCancel, "okcancel", "Initialize the memory now? Every file on it will be erased."},
        {ui::kMbAbortRetryIgnore, "abortretryignore", "The player does not answer on LPT1.\nCheck the cable and the batteries."},
        {ui::kMbYesNoCancel, "yesnocancel", "The playlist has changed.\nSave it before closing?"},
        {ui::kMbYesNo | ui::kMbDefButton2, "yesno", "\"Harbour Lights.mp3\" is already on the player.\nReplace it?"},
        {ui::kMbRetryCancel, "retrycancel", "Cannot open device. waiting..."},
        {ui::kMbOk, "long", "The Flash Memory format is an older version.\nPlease select Initialize to reformat the memory.\n\n"
                            "Files that are on the player now stay readable until the memory is initialized; copy them to the "
                            "computer first with Upload if you want to keep them."},
    };
    for (const Sample& s : samples) {
        skin::SkinMessageDialog box(QString::fromLatin1(s.text), nullptr, s.type);
        // Shown and active, so the first tick's focus shows on the default button.
        box.show();
        box.activateWindow();
        QApplication::setActiveWindow(&box);
        QApplication::processEvents();
        box.FirstTick();
        const QImage image = Shaped(Grab(&box), box.mask(), &box);
        Save(image, QStringLiteral("messagebox_%1").arg(QLatin1String(s.name)));
        Save(Doubled(image), QStringLiteral("messagebox_%1@2x").arg(QLatin1String(s.name)));
    }
}

}  // namespace

int main(int argc, char** argv) {
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) {
        qputenv("QT_QPA_PLATFORM", "offscreen");
    }
    QApplication app(argc, argv);
    if (argc != 2) {
        std::fprintf(stderr, "usage: skingallery OUTPUT_FOLDER\n");
        return 2;
    }
    g_out = QDir(QString::fromLocal8Bit(argv[1]));
    if (!g_out.mkpath(QStringLiteral("."))) {
        std::fprintf(stderr, "skingallery: cannot create %s\n", argv[1]);
        return 1;
    }
    skin::TheSkinStore().Build();
    SkinPictures();
    Windows();
    QWidget host;
    host.resize(400, 300);
    host.show();
    host.activateWindow();
    QApplication::processEvents();
    ButtonStates(host);
    ListSample(host);
    MessageBoxes();
    return g_failures == 0 ? 0 : 1;
}
