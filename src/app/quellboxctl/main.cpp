// quellboxctl: switch and read a relay board from the shell. See `quellboxctl --help`.

#include <QCoreApplication>

#include "run.h"
#include "stop_signals.h"

int main(int argc, char* argv[]) {
    quellbox::ctl::block_stop_signals();  // before anything can start a thread
    QCoreApplication app(argc, argv);
    QCoreApplication::setApplicationName(QStringLiteral("quellboxctl"));
    QCoreApplication::setApplicationVersion(QStringLiteral(QUELLBOX_VERSION));
    return quellbox::ctl::run(QCoreApplication::arguments());
}
