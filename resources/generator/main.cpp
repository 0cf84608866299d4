// Draws the program's pictures and icons into PNG files and writes the resource list that embeds
// them: skingen OUTPUT_FOLDER
#include <QFile>
#include <QGuiApplication>
#include <QDir>
#include <QTextStream>
#include <QSet>
#include <algorithm>
#include <cstdio>

#include "resources/generator/Pictures.h"

// Pictures of at most 256 colours are stored with a colour table, which the program keeps as the
// picture's palette; richer ones stay true colour. Nothing is dithered or changed.
static QImage WithColourTable(const QImage& image) {
    const QImage argb = image.convertToFormat(QImage::Format_ARGB32);
    QSet<QRgb> colours;
    for (int y = 0; y < argb.height(); ++y) {
        const auto* line = reinterpret_cast<const QRgb*>(argb.constScanLine(y));
        for (int x = 0; x < argb.width(); ++x) {
            colours.insert(line[x]);
            if (colours.size() > 256) {
                return image;
            }
        }
    }
    QList<QRgb> table(colours.begin(), colours.end());
    std::sort(table.begin(), table.end());
    return argb.convertToFormat(QImage::Format_Indexed8, table, Qt::ThresholdDither | Qt::AvoidDither);
}

int main(int argc, char** argv) {
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QGuiApplication app(argc, argv);
    if (argc != 2) {
        std::fprintf(stderr, "usage: skingen OUTPUT_FOLDER\n");
        return 2;
    }
    const QDir out(QString::fromLocal8Bit(argv[1]));
    if (!out.mkpath(QStringLiteral("."))) {
        std::fprintf(stderr, "skingen: cannot create %s\n", argv[1]);
        return 1;
    }
    QString qrc;
    QTextStream list(&qrc);
    list << "<RCC>\n  <qresource prefix=\"/zanto\">\n";
    auto write = [&](const QString& kind, int number, const QImage& image) {
        const QString name = QStringLiteral("%1_%2.png").arg(kind).arg(number);
        if (!image.save(out.filePath(name), "PNG")) {
            std::fprintf(stderr, "skingen: cannot write %s\n", qPrintable(name));
            return false;
        }
        list << "    <file alias=\"" << kind << "/" << number << "\">" << name << "</file>\n";
        return true;
    };
    for (const auto& [number, image] : zanto::skingen::DrawBitmaps()) {
        if (!write(QStringLiteral("bitmap"), number, WithColourTable(image))) {
            return 1;
        }
    }
    for (const auto& [number, image] : zanto::skingen::DrawIcons()) {
        if (!write(QStringLiteral("icon"), number, image)) {
            return 1;
        }
    }
    list << "  </qresource>\n</RCC>\n";
    list.flush();
    QFile file(out.filePath(QStringLiteral("pictures.qrc")));
    if (!file.open(QIODevice::WriteOnly | QIODevice::Truncate) || file.write(qrc.toUtf8()) < 0) {
        std::fprintf(stderr, "skingen: cannot write pictures.qrc\n");
        return 1;
    }
    return 0;
}
