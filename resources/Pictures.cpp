#include "resources/Pictures.h"

#include <QImage>

// The pictures are compiled into a static library, so their registration is called explicitly.
static void RegisterPictures() { Q_INIT_RESOURCE(pictures); }

namespace zanto::resources {
namespace {

void EnsureRegistered() {
    static const bool registered = [] {
        RegisterPictures();
        return true;
    }();
    (void)registered;
}

QString Path(const char* kind, int number) { return QStringLiteral(":/zanto/%1/%2").arg(QLatin1String(kind)).arg(number); }

}  // namespace

bool LoadPicture(int number, QPixmap* picture, ui::SkinPalette* palette) {
    EnsureRegistered();
    QImage image(Path("bitmap", number));
    if (image.isNull()) {
        return false;
    }
    if (palette != nullptr) {
        palette->entries.clear();
        for (QRgb entry : image.colorTable()) {
            palette->entries.push_back(qRgb(qRed(entry), qGreen(entry), qBlue(entry)));
        }
    }
    if (picture != nullptr) {
        *picture = QPixmap::fromImage(std::move(image));
    }
    return true;
}

QPixmap LoadPlainPicture(int number) {
    EnsureRegistered();
    return QPixmap(Path("bitmap", number));
}

QPixmap LoadIcon(int number) {
    EnsureRegistered();
    return QPixmap(Path("icon", number));
}

}  // namespace zanto::resources
