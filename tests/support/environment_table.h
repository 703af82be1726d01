#pragma once
// An environment given as a table, for tests of the rules that read environment variables: an
// unset variable reads as empty, as qEnvironmentVariable gives it.

#include <QString>
#include <QStringList>
#include <initializer_list>
#include <map>
#include <string>

namespace quellbox::test {

struct EnvironmentTable {
    EnvironmentTable() = default;
    EnvironmentTable(std::initializer_list<std::pair<const std::string, QString>> set)
        : values(set) {}

    std::map<std::string, QString> values;

    QString operator()(const char* name) const {
        const auto it = values.find(name);
        return it == values.end() ? QString() : it->second;
    }
    // "LANG=C LANGUAGE=zh_CN", for a failure message.
    std::string shown() const {
        QStringList pairs;
        for (const auto& [name, value] : values)
            pairs << QString::fromStdString(name) + "=" + value;
        return pairs.join(QLatin1Char(' ')).toStdString();
    }
};

}  // namespace quellbox::test
