// Writes the window icon as a PNG for the desktop's icon theme, or as an .ico (a name ending in
// ".ico") for the Windows program's resources, so the installed icon, the Windows icon and the
// one the window shows come from the same drawing.

#include <QGuiApplication>
#include <cstdio>

#include "ui/app_icon.h"

int main(int argc, char* argv[]) {
    if (argc != 2) {
        std::fprintf(stderr, "usage: %s OUTPUT.png|OUTPUT.ico\n", argv[0]);
        return 2;
    }
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QGuiApplication app(argc, argv);
    const QString output = QString::fromLocal8Bit(argv[1]);
    const char* format = output.endsWith(QLatin1String(".ico")) ? "ICO" : "PNG";
    if (!quellbox::ui::app_icon_pixmap().save(output, format)) {
        std::fprintf(stderr, "cannot write %s\n", argv[1]);
        return 1;
    }
    return 0;
}
