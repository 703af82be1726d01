#include "parse_request.h"

#include <QCommandLineParser>
#include <QCoreApplication>
#include <QRegularExpression>
#include <optional>

#include "link/frames.h"
#include "output.h"

namespace quellbox::ctl {

namespace {

const char* const help_text =
    QT_TRANSLATE_NOOP("quellboxctl", R"(Usage: quellboxctl [OPTIONS] COMMAND [ARGS]

Switch and read a 16-channel serial relay board from scripts and test benches.

Commands:
  status               print the 16 channel states
  on CHANNEL...        energize the channels (1 to 16) and confirm it from the board
  off CHANNEL...       release the channels and confirm it
  toggle CHANNEL...    flip the channels from their reported state and confirm it
  all on | all off     energize or release all 16 channels and confirm it
  watch                print one line per change until SIGINT or SIGTERM
  ports                list the port numbers and the devices they reach

Options:
  -p, --port N         the board's port number, as in the window (default 1)
  -d, --device PATH    open this serial device instead of a port number
  -a, --address A      the board's address, 0 to 255 (default 1)
  -t, --timeout MS     how long switching may take to be confirmed (default 1000)
      --json           print JSON: one object for status and switching, JSON lines for
                       watch and ports
  -v, --verbose        print the confirmed states after switching, and every frame on
                       stderr
      --reconnect      watch: survive the device going away and resume when it returns
      --probe          ports: ask the board at --address on every port which one answers
  -h, --help           this text
  -V, --version        the program's version

Numbers are plain decimal integers. One frame goes to the board every 50 ms.

Exit status:
  0  done, and for switching confirmed by the board's own status
  2  bad arguments (nothing was written to the line)
  3  the port could not be opened (missing, busy, or no permission)
  4  the board did not answer (six polls without a status frame); ports --probe: none
     answered
  5  the board answered but did not confirm the asked state within the timeout
  6  the port was lost (unplugged or switched off)
)");

// Plain decimal digits only: no sign, blanks, point, exponent or prefix.
std::optional<int> plain_number(const QString& text, int low, int high) {
    static const QRegularExpression digits(QStringLiteral("^[0-9]{1,9}$"));
    if (!digits.match(text).hasMatch()) return std::nullopt;
    const int value = text.toInt();
    if (value < low || value > high) return std::nullopt;
    return value;
}

UsageError bad_number(const QString& what, const QString& text, int low, int high) {
    return UsageError{CtlText::tr("%1 must be a whole number from %2 to %3, not \"%4\"")
                          .arg(what)
                          .arg(low)
                          .arg(high)
                          .arg(text)};
}

std::optional<UsageError> read_channels(const QStringList& words, Request& request) {
    if (words.isEmpty()) return UsageError{CtlText::tr("name at least one channel (1 to 16)")};
    for (const QString& word : words) {
        const auto channel = plain_number(word, 1, link::channel_count);
        if (!channel) return bad_number(CtlText::tr("a channel"), word, 1, link::channel_count);
        request.channels.push_back(*channel);
    }
    return std::nullopt;
}

std::optional<UsageError> read_command(const QStringList& words, Request& request) {
    if (words.isEmpty())
        return UsageError{CtlText::tr("no command given (try: quellboxctl --help)")};
    const QString& name = words.front();
    const QStringList rest = words.mid(1);
    auto no_arguments = [&](Command command) -> std::optional<UsageError> {
        request.command = command;
        if (!rest.isEmpty()) {
            return UsageError{
                CtlText::tr("%1 takes no arguments, not \"%2\"").arg(name, rest.front())};
        }
        return std::nullopt;
    };
    if (name == QLatin1String("status")) return no_arguments(Command::status);
    if (name == QLatin1String("watch")) return no_arguments(Command::watch);
    if (name == QLatin1String("ports")) return no_arguments(Command::ports);
    if (name == QLatin1String("on") || name == QLatin1String("off") ||
        name == QLatin1String("toggle")) {
        request.command = name == QLatin1String("on")    ? Command::on
                          : name == QLatin1String("off") ? Command::off
                                                         : Command::toggle;
        return read_channels(rest, request);
    }
    if (name == QLatin1String("all")) {
        if (rest.size() == 1 && rest.front() == QLatin1String("on")) {
            request.command = Command::all_on;
            return std::nullopt;
        }
        if (rest.size() == 1 && rest.front() == QLatin1String("off")) {
            request.command = Command::all_off;
            return std::nullopt;
        }
        return UsageError{CtlText::tr("all takes exactly one word: on or off")};
    }
    return UsageError{CtlText::tr("unknown command \"%1\" (try: quellboxctl --help)").arg(name)};
}

bool switches(Command command) {
    return command == Command::on || command == Command::off || command == Command::toggle ||
           command == Command::all_on || command == Command::all_off;
}

// Options that mean nothing for the command are refused rather than ignored: a script that
// says --reconnect to `status` expects something that would not happen.
std::optional<UsageError> check_fit(const QCommandLineParser& parser, const Request& request) {
    auto only_for = [&](const char* option, const char* command) {
        return UsageError{CtlText::tr("--%1 applies to %2 only")
                              .arg(QLatin1String(option), QLatin1String(command))};
    };
    if (parser.isSet(QStringLiteral("port")) && parser.isSet(QStringLiteral("device"))) {
        return UsageError{CtlText::tr("give either --port or --device, not both")};
    }
    if (parser.isSet(QStringLiteral("reconnect")) && request.command != Command::watch) {
        return only_for("reconnect", "watch");
    }
    if (parser.isSet(QStringLiteral("probe")) && request.command != Command::ports) {
        return only_for("probe", "ports");
    }
    if (parser.isSet(QStringLiteral("timeout")) && !switches(request.command)) {
        return only_for("timeout", "on, off, toggle and all");
    }
    if (request.command == Command::ports &&
        (parser.isSet(QStringLiteral("port")) || parser.isSet(QStringLiteral("device")))) {
        return UsageError{
            CtlText::tr("ports looks at every port; --port and --device do not apply")};
    }
    return std::nullopt;
}

}  // namespace

ParseResult parse_request(const QStringList& arguments) {
    QCommandLineParser parser;
    parser.setSingleDashWordOptionMode(QCommandLineParser::ParseAsCompactedShortOptions);
    const QCommandLineOption port({QStringLiteral("p"), QStringLiteral("port")}, {},
                                  QStringLiteral("N"));
    const QCommandLineOption device({QStringLiteral("d"), QStringLiteral("device")}, {},
                                    QStringLiteral("PATH"));
    const QCommandLineOption address({QStringLiteral("a"), QStringLiteral("address")}, {},
                                     QStringLiteral("A"));
    const QCommandLineOption timeout({QStringLiteral("t"), QStringLiteral("timeout")}, {},
                                     QStringLiteral("MS"));
    const QCommandLineOption json(QStringLiteral("json"));
    const QCommandLineOption verbose(QStringList{QStringLiteral("v"), QStringLiteral("verbose")});
    const QCommandLineOption reconnect(QStringLiteral("reconnect"));
    const QCommandLineOption probe(QStringLiteral("probe"));
    const QCommandLineOption help(QStringList{QStringLiteral("h"), QStringLiteral("help")});
    const QCommandLineOption version(QStringList{QStringLiteral("V"), QStringLiteral("version")});
    parser.addOptions(
        {port, device, address, timeout, json, verbose, reconnect, probe, help, version});

    if (!parser.parse(arguments)) return UsageError{parser.errorText()};
    if (parser.isSet(help)) return Printout{CtlText::tr(help_text)};
    if (parser.isSet(version)) {
        return Printout{
            QStringLiteral("quellboxctl %1\n").arg(QCoreApplication::applicationVersion())};
    }

    Request request;
    if (auto error = read_command(parser.positionalArguments(), request)) return *error;
    if (auto error = check_fit(parser, request)) return *error;
    // The last of a repeated option counts, as with most programs.
    if (parser.isSet(port)) {
        const QString text = parser.values(port).back();
        const auto number = plain_number(text, 1, 32767);
        if (!number) return bad_number(QStringLiteral("--port"), text, 1, 32767);
        request.port = *number;
    }
    if (parser.isSet(device)) {
        request.device = parser.values(device).back();
        if (request.device.isEmpty()) return UsageError{CtlText::tr("--device needs a path")};
    }
    if (parser.isSet(address)) {
        const QString text = parser.values(address).back();
        const auto number = plain_number(text, 0, 255);
        if (!number) return bad_number(QStringLiteral("--address"), text, 0, 255);
        request.address = static_cast<std::uint8_t>(*number);
    }
    if (parser.isSet(timeout)) {
        const QString text = parser.values(timeout).back();
        const auto number = plain_number(text, 1, 3'600'000);
        if (!number) return bad_number(QStringLiteral("--timeout"), text, 1, 3'600'000);
        request.timeout_ms = *number;
    }
    request.json = parser.isSet(json);
    request.verbose = parser.isSet(verbose);
    request.reconnect = parser.isSet(reconnect);
    request.probe = parser.isSet(probe);
    return request;
}

}  // namespace quellbox::ctl
