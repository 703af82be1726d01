#pragma once
// The broker login. Read from a file (first line the user name, second line the password) or
// from QUELLBOX_MQTT_USERNAME / QUELLBOX_MQTT_PASSWORD; never from the command line, where any
// user of the machine could read it in the process list. The password is handed to the MQTT
// library and to nothing else.

#include <QString>
#include <optional>
#include <string>
#include <variant>

namespace quellbox::mqtt {

struct Credentials {
    std::string username;
    std::string password;
};

// From `file` when it is not empty, else from the environment; nothing when neither holds a
// user name. The QString is a message for the operator (a file that cannot be read, a password
// without a user name, ...).
std::variant<std::optional<Credentials>, QString> load_credentials(const QString& file);

}  // namespace quellbox::mqtt
