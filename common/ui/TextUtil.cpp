#include "common/ui/TextUtil.h"

#include <QHash>

namespace zanto::ui {
namespace {

SkinServices g_services;
StringLookupProc g_strings = nullptr;

// Length of the character that starts at i (2 for a surrogate pair).
qsizetype CharLength(const QString& text, qsizetype i) {
    if (text.at(i).isHighSurrogate() && i + 1 < text.size() && text.at(i + 1).isLowSurrogate()) {
        return 2;
    }
    return 1;
}

}  // namespace

QString FitText(const QFontMetrics& metrics, const QString& text, int available, int reserved) {
    static const QString kEllipsis = QStringLiteral("...");
    if (text.isEmpty() || metrics.horizontalAdvance(text) + reserved <= available) {
        return text;
    }
    const int ellipsis = metrics.horizontalAdvance(kEllipsis);
    qsizetype cut = 0;
    while (cut < text.size()) {
        const qsizetype next = cut + CharLength(text, cut);
        if (metrics.horizontalAdvance(text.left(next)) + ellipsis + reserved > available) {
            break;
        }
        cut = next;
    }
    return text.left(cut) + kEllipsis;
}

QString MappedFontFamily(const QString& face) {
    // Installed faces with metrics close to the skin's: a sans of Arial's widths, a serif of Times'
    // widths and a geometric sans.
    static const QHash<QString, QString> kMap = {
        {QStringLiteral("ms sans serif"), QStringLiteral("Liberation Sans")},
        {QStringLiteral("ms serif"), QStringLiteral("Liberation Serif")},
        {QStringLiteral("century gothic"), QStringLiteral("URW Gothic")},
    };
    return kMap.value(face.toLower(), face);
}

QFont MakeFont(const QString& face, int height) {
    QFont font;
    const QString mapped = MappedFontFamily(face);
    font.setFamilies({mapped, face, QStringLiteral("DejaVu Sans")});
    font.setPixelSize(height == 0 ? 11 : (height < 0 ? -height : height));
    font.setWeight(QFont::Normal);
    font.setItalic(false);
    font.setUnderline(false);
    font.setStrikeOut(false);
    font.setStyleHint(mapped.contains(QStringLiteral("Serif")) ? QFont::Serif : QFont::SansSerif);
    return font;
}

void SetSkinRgnProc(SkinRgnProc proc) { g_services.region = proc; }
void SetSkinBitmapProc(SkinBitmapProc proc) { g_services.bitmap = proc; }
void SetSkinFontProc(SkinFontProc proc) { g_services.font = proc; }
void SetMessageBoxProc(MessageBoxProc proc) { g_services.messageBox = proc; }
const SkinServices& LentSkinServices() { return g_services; }
void SetStringLookup(StringLookupProc lookup) { g_strings = lookup; }

int ShowMessage(const QString& text, QWidget* owner, unsigned type) {
    if (g_services.messageBox == nullptr) {
        return kIdOk;
    }
    const QByteArray utf8 = text.toUtf8();
    return g_services.messageBox(utf8.constData(), owner, type);
}

int ShowMessage(int stringId, QWidget* owner, unsigned type) {
    return ShowMessage(g_strings != nullptr ? g_strings(stringId) : QString(), owner, type);
}

}  // namespace zanto::ui
