#include "bridge_options.h"

#include <QCommandLineParser>
#include <QFileInfo>
#include <QSet>
#include <QSettings>
#include <algorithm>

#include "bridge_log.h"
#include "topics.h"

namespace quellbox::mqtt {

namespace {

// One setting: its key in the config file ("section/key") and its command-line option.
struct Setting {
    const char* key;
    const char* option;
};
constexpr Setting serial_port{"serial/port", "port"};
constexpr Setting serial_device{"serial/device", "device"};
constexpr Setting boards{"serial/boards", "boards"};
constexpr Setting broker_host{"broker/host", "broker"};
constexpr Setting broker_port{"broker/port", "broker-port"};
constexpr Setting keepalive{"broker/keepalive", "keepalive"};
constexpr Setting credentials{"broker/credentials_file", "credentials"};
constexpr Setting tls{"broker/tls", "tls"};
constexpr Setting ca_file{"broker/ca_file", "ca-file"};
constexpr Setting prefix{"topics/prefix", "prefix"};
constexpr Setting discovery{"topics/discovery", "no-discovery"};
constexpr Setting discovery_prefix{"topics/discovery_prefix", "discovery-prefix"};
constexpr Setting all_settings[] = {serial_port, serial_device, boards,      broker_host,
                                    broker_port, keepalive,     credentials, tls,
                                    ca_file,     prefix,        discovery,   discovery_prefix};

// The value of a setting: the command line's if given, else the config file's, else nothing.
class Sources {
  public:
    Sources(const QCommandLineParser& parser, const QSettings* file)
        : parser_(parser), file_(file) {}

    std::optional<QString> text(const Setting& s) const {
        if (parser_.isSet(QLatin1String(s.option))) return parser_.value(QLatin1String(s.option));
        if (file_ != nullptr && file_->contains(QLatin1String(s.key))) {
            // INI values with commas come back as lists; the text is what was written.
            return file_->value(QLatin1String(s.key)).toStringList().join(QLatin1Char(','));
        }
        return std::nullopt;
    }

    // Flags: on the command line they only switch one way; in the file "true"/"false".
    // Where a setting was given: on the command line, in the file, or nowhere.
    bool on_command_line(const Setting& s) const { return parser_.isSet(QLatin1String(s.option)); }
    bool in_file(const Setting& s) const {
        return file_ != nullptr && file_->contains(QLatin1String(s.key));
    }

    std::optional<bool> flag(const Setting& s, bool when_given) const {
        if (parser_.isSet(QLatin1String(s.option))) return when_given;
        if (file_ != nullptr && file_->contains(QLatin1String(s.key)))
            return file_->value(QLatin1String(s.key)).toBool();
        return std::nullopt;
    }

  private:
    const QCommandLineParser& parser_;
    const QSettings* file_;
};

QString bad_value(const Setting& s, const QString& value, const QString& expected) {
    return BridgeText::tr("--%1 (%2 in the config file): %3 is not %4")
        .arg(QLatin1String(s.option), QLatin1String(s.key), printable(value.toStdString()),
             expected);
}

std::optional<int> whole_number(const QString& text, int low, int high) {
    bool ok = false;
    const int value = text.trimmed().toInt(&ok, 10);
    if (!ok || value < low || value > high) return std::nullopt;
    return value;
}

// "1,2" or "1=bench-a,2=bench-b": addresses with optional board ids.
std::variant<std::vector<BoardConfig>, QString> parse_boards(const QString& text) {
    std::vector<BoardConfig> out;
    for (const QString& item : text.split(QLatin1Char(','))) {
        const QString address_text = item.section(QLatin1Char('='), 0, 0);
        const auto address = whole_number(address_text, 0, 255);
        if (!address) {
            return bad_value(boards, item,
                             BridgeText::tr("a board address from 0 to 255, optionally followed "
                                            "by =ID"));
        }
        BoardConfig board;
        board.address = static_cast<std::uint8_t>(*address);
        board.id = item.contains(QLatin1Char('='))
                       ? item.section(QLatin1Char('='), 1).trimmed().toStdString()
                       : "board" + std::to_string(*address);
        if (!is_valid_level(board.id)) {
            return bad_value(boards, item,
                             BridgeText::tr("a board id of 1 to %1 letters, digits, _ or -")
                                 .arg(max_level_length));
        }
        for (const BoardConfig& other : out) {
            if (other.address == board.address || other.id == board.id)
                return BridgeText::tr("--boards: address or id given twice in %1").arg(text);
        }
        out.push_back(std::move(board));
    }
    return out;
}

QString check_file_keys(const QSettings& file) {
    for (const QString& key : file.allKeys()) {
        const bool known =
            std::any_of(std::begin(all_settings), std::end(all_settings),
                        [&](const Setting& s) { return key == QLatin1String(s.key); });
        if (!known) {
            return BridgeText::tr("the config file %1 has an unknown setting %2")
                .arg(file.fileName(), key);
        }
    }
    return {};
}

}  // namespace

std::variant<BridgeOptions, QString> parse_options(const QStringList& arguments) {
    QCommandLineParser parser;
    parser.setApplicationDescription(BridgeText::tr(
        "Puts the relay boards on one serial line onto an MQTT broker.\n"
        "User name and password come from --credentials FILE (first line the user name, second "
        "line the password) or from QUELLBOX_MQTT_USERNAME and QUELLBOX_MQTT_PASSWORD, never "
        "from the command line."));
    parser.addHelpOption();
    parser.addVersionOption();
    const auto value_option = [&](const Setting& s, const QString& text, const QString& name) {
        parser.addOption(QCommandLineOption(QLatin1String(s.option), text, name));
    };
    parser.addOption(QCommandLineOption(QStringLiteral("config"),
                                        BridgeText::tr("INI config file; options given here win"),
                                        QStringLiteral("file")));
    value_option(serial_port, BridgeText::tr("serial port number (default 1)"),
                 QStringLiteral("n"));
    value_option(serial_device,
                 BridgeText::tr("open this serial device instead of a port number, e.g. "
                                "/dev/serial/by-id/usb-...-if00-port0"),
                 QStringLiteral("path"));
    value_option(boards,
                 BridgeText::tr("board addresses on the line, each optionally =ID "
                                "(default 1=board1), e.g. 1=bench-a,2=bench-b"),
                 QStringLiteral("list"));
    value_option(broker_host, BridgeText::tr("broker host (default localhost)"),
                 QStringLiteral("host"));
    value_option(broker_port, BridgeText::tr("broker port (default 1883, with TLS 8883)"),
                 QStringLiteral("port"));
    value_option(keepalive, BridgeText::tr("keep-alive in seconds (default 30)"),
                 QStringLiteral("s"));
    value_option(credentials, BridgeText::tr("file with the user name and the password"),
                 QStringLiteral("file"));
    parser.addOption(QCommandLineOption(QLatin1String(tls.option),
                                        BridgeText::tr("connect with TLS (system CAs)")));
    value_option(ca_file, BridgeText::tr("connect with TLS, trusting this CA file"),
                 QStringLiteral("file"));
    value_option(prefix, BridgeText::tr("topic prefix (default quellbox)"),
                 QStringLiteral("prefix"));
    parser.addOption(QCommandLineOption(QLatin1String(discovery.option),
                                        BridgeText::tr("no Home Assistant discovery")));
    value_option(discovery_prefix,
                 BridgeText::tr("Home Assistant discovery prefix (default homeassistant)"),
                 QStringLiteral("prefix"));

    if (!parser.parse(arguments)) return parser.errorText();
    if (parser.isSet(QStringLiteral("help"))) parser.showHelp(0);
    if (parser.isSet(QStringLiteral("version"))) parser.showVersion();
    if (!parser.positionalArguments().isEmpty()) {
        return BridgeText::tr(
                   "unexpected argument %1 (user name and password never go on the "
                   "command line; see --help)")
            .arg(parser.positionalArguments().first());
    }

    std::optional<QSettings> file;
    if (parser.isSet(QStringLiteral("config"))) {
        const QString path = parser.value(QStringLiteral("config"));
        if (!QFileInfo(path).isReadable())
            return BridgeText::tr("cannot read the config file %1").arg(path);
        file.emplace(path, QSettings::IniFormat);
        if (file->status() != QSettings::NoError)
            return BridgeText::tr("the config file %1 is not a valid INI file").arg(path);
        if (QString problem = check_file_keys(*file); !problem.isEmpty()) return problem;
    }
    const Sources from(parser, file ? &*file : nullptr);

    BridgeOptions o;
    // The line is named once: the command line's choice replaces the file's as a whole.
    const bool named_here =
        from.on_command_line(serial_port) || from.on_command_line(serial_device);
    const bool both_named =
        named_here ? from.on_command_line(serial_port) && from.on_command_line(serial_device)
                   : from.in_file(serial_port) && from.in_file(serial_device);
    if (both_named) {
        return BridgeText::tr(
            "give either --port or --device (port or device in the config "
            "file), not both");
    }
    if (const auto text = from.text(serial_device);
        text && (!named_here || from.on_command_line(serial_device))) {
        if (text->trimmed().isEmpty())
            return bad_value(serial_device, *text, BridgeText::tr("a path"));
        o.serial_device = text->trimmed();
    } else if (const auto number = from.text(serial_port)) {
        const auto n = whole_number(*number, 1, 32767);
        if (!n) return bad_value(serial_port, *number, BridgeText::tr("a port number from 1"));
        o.serial_port = *n;
    }
    auto parsed_boards = parse_boards(from.text(boards).value_or(QStringLiteral("1")));
    if (auto* problem = std::get_if<QString>(&parsed_boards)) return *problem;
    o.boards = std::get<std::vector<BoardConfig>>(std::move(parsed_boards));

    if (const auto text = from.text(broker_host)) {
        if (text->trimmed().isEmpty())
            return bad_value(broker_host, *text, BridgeText::tr("a host"));
        o.broker.host = text->trimmed();
    }
    o.broker.ca_file = from.text(ca_file).value_or(QString());
    o.broker.tls = from.flag(tls, true).value_or(false) || !o.broker.ca_file.isEmpty();
    if (!o.broker.ca_file.isEmpty() && !QFileInfo(o.broker.ca_file).isReadable())
        return BridgeText::tr("cannot read the CA file %1").arg(o.broker.ca_file);
    o.broker.port = o.broker.tls ? 8883 : 1883;
    if (const auto text = from.text(broker_port)) {
        const auto n = whole_number(*text, 1, 65535);
        if (!n) return bad_value(broker_port, *text, BridgeText::tr("a port from 1 to 65535"));
        o.broker.port = *n;
    }
    if (const auto text = from.text(keepalive)) {
        const auto n = whole_number(*text, 5, 3600);
        if (!n)
            return bad_value(keepalive, *text, BridgeText::tr("a number of seconds, 5 to 3600"));
        o.broker.keepalive_s = *n;
    }
    auto login = load_credentials(from.text(credentials).value_or(QString()));
    if (auto* problem = std::get_if<QString>(&login)) return *problem;
    o.broker.credentials = std::get<std::optional<Credentials>>(std::move(login));

    if (const auto text = from.text(prefix)) o.prefix = text->toStdString();
    if (!is_valid_prefix(o.prefix)) {
        return bad_value(prefix, QString::fromStdString(o.prefix),
                         BridgeText::tr("a topic prefix: levels of letters, digits, _ or - "
                                        "separated by single slashes"));
    }
    // On the command line the option switches discovery off; in the file "discovery=false".
    o.discovery = from.flag(discovery, false).value_or(true);
    if (const auto text = from.text(discovery_prefix)) o.discovery_prefix = text->toStdString();
    if (!is_valid_prefix(o.discovery_prefix)) {
        return bad_value(discovery_prefix, QString::fromStdString(o.discovery_prefix),
                         BridgeText::tr("a topic prefix"));
    }
    return o;
}

}  // namespace quellbox::mqtt
