// quellboxctl: switch and read a relay board from the shell. See `quellboxctl --help`.

#include <QCoreApplication>

#include "run.h"
#include "runtime/translations.h"

int main(int argc, char* argv[]) {
    QCoreApplication app(argc, argv);
    QCoreApplication::setApplicationName(QStringLiteral("quellboxctl"));
    QCoreApplication::setApplicationVersion(QStringLiteral(QUELLBOX_VERSION));
    // Messages and --help in the locale's language; what goes to stdout as data stays fixed.
    quellbox::runtime::install_translations(
        app, quellbox::runtime::choose_language(quellbox::runtime::Audience::command_line));
    return quellbox::ctl::run(QCoreApplication::arguments());
}
