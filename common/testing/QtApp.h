#pragma once
// One QApplication for a whole test program (Qt allows only one), created on first use; tests run
// on the offscreen platform that zanto_add_test sets.
#include <QApplication>
#include <QImage>
#include <QWidget>
#include <cstdlib>

namespace zanto::testkit {

inline QApplication& QtApp() {
    static int argc = 1;
    static char name[] = "zanto-test";
    static char* argv[] = {name, nullptr};
    if (std::getenv("QT_QPA_PLATFORM") == nullptr) {
        setenv("QT_QPA_PLATFORM", "offscreen", 0);
    }
    static QApplication* app = new QApplication(argc, argv);
    return *app;
}

// What widget shows now, at one device pixel per pixel.
inline QImage Render(QWidget* widget) {
    return widget->grab().toImage().convertToFormat(QImage::Format_RGB32);
}

}  // namespace zanto::testkit
