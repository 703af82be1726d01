// quellboxctl: switch and read a relay board from the shell. See `quellboxctl --help`.

#include <QCoreApplication>

#include "run.h"

int main(int argc, char* argv[]) {
    QCoreApplication app(argc, argv);
    QCoreApplication::setApplicationName(QStringLiteral("quellboxctl"));
    QCoreApplication::setApplicationVersion(QStringLiteral(QUELLBOX_VERSION));
    return quellbox::ctl::run(QCoreApplication::arguments());
}
