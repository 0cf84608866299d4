#include "zantodesk/skin/SkinMessageBox.h"

#include <QApplication>
#include <QMouseEvent>
#include <QPainter>

#include "common/ui/BitmapButton.h"
#include "common/ui/TextUtil.h"
#include "common/ui/WindowShape.h"
#include "resources/Pictures.h"

namespace zanto::skin {

static_assert(std::is_same_v<decltype(&SkinMessageBoxProc), ui::MessageBoxProc>);

namespace {

constexpr int kCell = 33;
constexpr int kBottomCell = 40;

int RoundUpToCell(int value, int minimum) {
    const int v = std::max(value, minimum);
    return (v + kCell - 1) / kCell * kCell;
}

unsigned Kind(unsigned type) {
    const unsigned kind = type & ui::kMbTypeMask;
    // Types beyond the six known ones show an OK button, so the box can always be closed.
    return kind <= ui::kMbRetryCancel ? kind : ui::kMbOk;
}

}  // namespace

MessageBoxLayout LayoutMessageBox(const QFontMetrics& metrics, const QString& text) {
    const QRect measured = metrics.boundingRect(QRect(0, 0, kMessageBoxWrapWidth, 100000),
                                                static_cast<int>(kMessageTextFlags), text);
    MessageBoxLayout layout;
    layout.text = QSize(RoundUpToCell(measured.width(), 5 * kCell), RoundUpToCell(measured.height(), kCell));
    layout.window = layout.text + QSize(66, 73);
    layout.buttonY = layout.text.height() + 51;
    return layout;
}

std::array<int, 3> MessageBoxButtonPictures(unsigned type) {
    switch (Kind(type)) {
    case ui::kMbOkCancel: return {216, 214, 0};
    case ui::kMbAbortRetryIgnore: return {218, 217, 219};
    case ui::kMbYesNoCancel: return {211, 215, 214};
    case ui::kMbYesNo: return {211, 215, 0};
    case ui::kMbRetryCancel: return {217, 214, 0};
    default: return {216, 0, 0};
    }
}

int MessageBoxAnswer(unsigned type, int button) {
    const unsigned kind = Kind(type);
    switch (button) {
    case 0:
        switch (kind) {
        case ui::kMbAbortRetryIgnore: return ui::kIdAbort;
        case ui::kMbYesNoCancel:
        case ui::kMbYesNo: return ui::kIdYes;
        case ui::kMbRetryCancel: return ui::kIdRetry;
        default: return ui::kIdOk;
        }
    case 1:
        switch (kind) {
        case ui::kMbOkCancel:
        case ui::kMbRetryCancel: return ui::kIdCancel;
        case ui::kMbAbortRetryIgnore: return ui::kIdRetry;
        case ui::kMbYesNoCancel:
        case ui::kMbYesNo: return ui::kIdNo;
        default: return 0;
        }
    case 2:
        switch (kind) {
        case ui::kMbAbortRetryIgnore: return ui::kIdIgnore;
        case ui::kMbYesNoCancel: return ui::kIdCancel;
        default: return 0;
        }
    default: return 0;
    }
}

int MessageBoxDefaultButton(unsigned type) {
    const auto pictures = MessageBoxButtonPictures(type);
    int index = 0;
    if ((type & ui::kMbDefMask) == ui::kMbDefButton2) {
        index = 1;
    } else if ((type & ui::kMbDefMask) == ui::kMbDefButton3) {
        index = 2;
    }
    // A default beyond the buttons shown falls back to the first.
    return pictures[static_cast<size_t>(index)] != 0 ? index : 0;
}

SkinMessageDialog::SkinMessageDialog(const QString& text, QWidget* owner, unsigned type)
    : QDialog(owner, Qt::Dialog | Qt::FramelessWindowHint), text_(text), type_(type) {
    setModal(true);
    setAttribute(Qt::WA_OpaquePaintEvent);
    resources::LoadPicture(kMessageBoxBackground, &background_, &palette_);
    font_ = ui::MakeFont(QStringLiteral("MS Sans Serif"), -11);
    setFont(font_);
    layout_ = LayoutMessageBox(QFontMetrics(font_), text_);
    setFixedSize(layout_.window);

    const auto pictures = MessageBoxButtonPictures(type_);
    int rowWidth = 0;
    int shown = 0;
    for (size_t i = 0; i < buttons_.size(); ++i) {
        auto* button = new ui::BitmapButton(this);
        button->setProperty("controlId", kButtonIds[i]);
        buttons_[i] = button;
        QPixmap picture;
        ui::SkinPalette palette;
        if (pictures[i] == 0 || !resources::LoadPicture(pictures[i], &picture, &palette)) {
            button->hide();
            continue;
        }
        button->SetOwnedPictures(picture, palette);
        button->setAccessibleName(QStringLiteral("%1").arg(kButtonIds[i]));
        rowWidth += button->FrameSize().width() + (shown > 0 ? 5 : 0);
        ++shown;
        const int answer = MessageBoxAnswer(type_, static_cast<int>(i));
        connect(button, &QAbstractButton::clicked, this, [this, answer] { done(answer); });
    }
    int x = (layout_.window.width() - rowWidth) / 2;
    for (ui::BitmapButton* button : buttons_) {
        if (button->isHidden()) {
            continue;
        }
        button->MoveTo(x, layout_.buttonY);
        x += button->FrameSize().width() + 5;
    }
    setMask(ui::BoxShape(layout_.window));

    timer_.setInterval(kMessageBoxTimerMs);
    connect(&timer_, &QTimer::timeout, this, &SkinMessageDialog::FirstTick);
}

SkinMessageDialog::~SkinMessageDialog() = default;

void SkinMessageDialog::FirstTick() {
    timer_.stop();
    ui::BitmapButton* button = buttons_[static_cast<size_t>(MessageBoxDefaultButton(type_))];
    button->setFocus(Qt::OtherFocusReason);
    button->update();
}

void SkinMessageDialog::showEvent(QShowEvent* event) {
    QDialog::showEvent(event);
    if (!placed_) {
        placed_ = true;
        QApplication::beep();
        move(pos() + QPoint(50, 50));
        timer_.start();
    }
}

void SkinMessageDialog::paintEvent(QPaintEvent*) {
    QPainter p(this);
    const int w = width();
    const int h = height();
    if (!background_.isNull()) {
        auto cell = [&](int x, int y, int sx, int sy, int ch) { p.drawPixmap(QPoint(x, y), background_, QRect(sx, sy, kCell, ch)); };
        // Top row, with the ornament once in the middle.
        cell(0, 0, 0, 0, kCell);
        int x = kCell;
        for (; x < w - kCell; x += kCell) {
            cell(x, 0, kCell, 0, kCell);
        }
        cell(x, 0, 2 * kCell, 0, kCell);
        cell((w - kCell) / 2, 0, 3 * kCell, 0, kCell);
        // Middle rows.
        int y = kCell;
        for (; y < h - kBottomCell; y += kCell) {
            cell(0, y, 0, kCell, kCell);
            int mx = kCell;
            for (; mx < w - kCell; mx += kCell) {
                cell(mx, y, kCell, kCell, kCell);
            }
            cell(mx, y, 2 * kCell, kCell, kCell);
        }
        // Bottom row, 40 high.
        cell(0, y, 0, 2 * kCell, kBottomCell);
        int bx = kCell;
        for (; bx < w - kCell; bx += kCell) {
            cell(bx, y, kCell, 2 * kCell, kBottomCell);
        }
        cell(bx, y, 2 * kCell, 2 * kCell, kBottomCell);
    } else {
        p.fillRect(rect(), Qt::black);
    }
    p.setFont(font_);
    p.setPen(QColor(0, 255, 0));
    p.drawText(QRect(QPoint(kCell, kCell), QPoint(w - kCell - 1, h - kBottomCell - 1)), static_cast<int>(kMessageTextFlags), text_);
}

void SkinMessageDialog::mousePressEvent(QMouseEvent* event) {
    if (event->button() == Qt::LeftButton) {
        ui::StartWindowDrag(this);
        event->accept();
        return;
    }
    QDialog::mousePressEvent(event);
}

void SkinMessageDialog::reject() {
    // Escape answers as the box's Cancel (or its only OK) button would; boxes without one stay.
    switch (Kind(type_)) {
    case ui::kMbOk: done(ui::kIdOk); break;
    case ui::kMbOkCancel:
    case ui::kMbYesNoCancel:
    case ui::kMbRetryCancel: done(ui::kIdCancel); break;
    default: break;
    }
}

int SkinMessageBox(const QString& text, QWidget* owner, unsigned type) {
    const QString stripped = text.trimmed();
    if (stripped.isEmpty()) {
        return ui::kIdOk;
    }
    SkinMessageDialog box(stripped, owner, type);
    return box.exec();
}

int SkinMessageBoxProc(const char* text, QWidget* owner, unsigned type) {
    return SkinMessageBox(text != nullptr ? QString::fromUtf8(text) : QString(), owner, type);
}

}  // namespace zanto::skin
