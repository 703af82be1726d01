#pragma once
// The command line: `quellboxctl [options] COMMAND [ARGS]`, read with Qt's QCommandLineParser.

#include <QString>
#include <QStringList>
#include <variant>

#include "request.h"

namespace quellbox::ctl {

// Text to print on stdout and leave with status 0 (--help, --version).
struct Printout {
    QString text;
};
// One line saying what is wrong, for stderr and status 2.
struct UsageError {
    QString message;
};

using ParseResult = std::variant<Request, Printout, UsageError>;

// `arguments` includes the program name first, as QCoreApplication::arguments() gives it.
ParseResult parse_request(const QStringList& arguments);

}  // namespace quellbox::ctl
