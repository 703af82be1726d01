// Start-up: the window comes up in its design-time state, centred, and the event loop runs
// until it is closed, or until the session ends or the program is told to stop (SIGTERM,
// SIGINT, SIGHUP), which close it the same way. No options, no settings.

#include <QApplication>
#include <memory>

#include "link/qt_serial_port.h"
#include "runtime/event_loop.h"
#include "runtime/quit_on_signals.h"
#include "runtime/translations.h"
#include "ui/main_form.h"

int main(int argc, char* argv[]) {
    quellbox::runtime::use_qt_event_loop();
    QApplication app(argc, argv);
    QApplication::setApplicationName(QStringLiteral("Quellbox"));
    // Lets the desktop match the window to its launcher and theme icon.
    QGuiApplication::setDesktopFileName(QStringLiteral("io.github.quellbox.Quellbox"));
    quellbox::runtime::install_translations(app);
    quellbox::runtime::quit_on_signals(app);

    quellbox::ui::MainForm main_form(std::make_unique<quellbox::link::QtSerialPort>());
    main_form.centre_on_screen();
    main_form.show();
    return QApplication::exec();
}
