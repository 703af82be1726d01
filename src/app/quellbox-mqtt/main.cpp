// quellbox-mqtt: the relay boards on one serial line, on an MQTT broker. Everything runs on
// this one thread in Qt's event loop: the poll ticks, the serial port and the broker
// connections (see mqtt_connection.h).

#include <signal.h>

#include <QCoreApplication>
#include <variant>

#include "bridge.h"
#include "bridge_log.h"
#include "mqtt_connection.h"
#include "runtime/event_loop.h"
#include "runtime/quit_on_signals.h"
#include "runtime/translations.h"

int main(int argc, char* argv[]) {
    using namespace quellbox::mqtt;
    quellbox::runtime::use_qt_event_loop();
    QCoreApplication app(argc, argv);
    QCoreApplication::setApplicationName(QStringLiteral("quellbox-mqtt"));
    QCoreApplication::setApplicationVersion(QStringLiteral(QUELLBOX_VERSION));
    // The log and --help in the locale's language; topics and payloads never change.
    quellbox::runtime::install_translations(
        app, quellbox::runtime::choose_language(quellbox::runtime::Audience::command_line));

    auto parsed = parse_options(QCoreApplication::arguments());
    if (const auto* problem = std::get_if<QString>(&parsed)) {
        log_line(*problem);
        return 2;
    }
    const MosquittoLibrary library;
    // SIGTERM (systemd stopping the service), SIGINT and SIGHUP end the event loop, so the
    // bridge publishes "offline" and says goodbye instead of leaving it to the last will.
    quellbox::runtime::quit_on_signals(app);
    ::signal(SIGPIPE, SIG_IGN);  // a broker closing its socket must not kill us
    Bridge bridge(std::get<BridgeOptions>(std::move(parsed)));
    bridge.start();
    const int status = QCoreApplication::exec();
    bridge.stop();
    return status;
}
