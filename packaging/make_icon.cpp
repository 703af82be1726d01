// Writes the window icon as a PNG for the desktop's icon theme, so the installed icon and the
// one the window shows come from the same drawing.

#include <QGuiApplication>
#include <cstdio>

#include "ui/app_icon.h"

int main(int argc, char* argv[]) {
    if (argc != 2) {
        std::fprintf(stderr, "usage: %s OUTPUT.png\n", argv[0]);
        return 2;
    }
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QGuiApplication app(argc, argv);
    if (!quellbox::ui::app_icon_pixmap().save(QString::fromLocal8Bit(argv[1]), "PNG")) {
        std::fprintf(stderr, "cannot write %s\n", argv[1]);
        return 1;
    }
    return 0;
}
