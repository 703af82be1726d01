#include "run.h"

#include <QCoreApplication>
#include <cstdio>

#include "output.h"
#include "parse_request.h"
#include "runs.h"
#include "runtime/quit_on_signals.h"

namespace quellbox::ctl {

namespace {

int dispatch(const Request& request) {
    switch (request.command) {
        case Command::status:
            return run_status(request);
        case Command::watch:
            return run_watch(request);
        case Command::ports:
            return run_ports(request);
        default:
            return run_switch(request);
    }
}

}  // namespace

int run(const QStringList& arguments) {
    const ParseResult parsed = parse_request(arguments);
    if (const auto* printout = std::get_if<Printout>(&parsed)) {
        const QByteArray text = printout->text.toLocal8Bit();
        std::fwrite(text.constData(), 1, static_cast<std::size_t>(text.size()), stdout);
        return exit_done;
    }
    if (const auto* error = std::get_if<UsageError>(&parsed)) {
        complain(error->message);
        return exit_usage;
    }
    const Request& request = std::get<Request>(parsed);

    // SIGINT, SIGTERM and SIGHUP end `watch` normally; any other command is cut short by them,
    // and after the port is closed the process ends as the signal would have ended it.
    int signal_number = 0;
    const runtime::QuitSignals signals([&](int number) {
        if (signal_number == 0) signal_number = number;
        finish(exit_done);
    });
    const int status = dispatch(request);
    if (signal_number != 0 && request.command != Command::watch) runtime::die_of(signal_number);
    return status;
}

}  // namespace quellbox::ctl
