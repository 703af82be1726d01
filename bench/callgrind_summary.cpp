#include "callgrind_summary.h"

#include <QDir>
#include <QFile>
#include <QJsonDocument>
#include <map>
#include <vector>

#include "analysis.h"
#include "stats.h"

namespace quellbox::bench {

QJsonObject summarize_callgrind(const QString& folder) {
    std::map<QString, std::vector<double>> instructions;
    std::map<QString, std::vector<double>> events;
    const QDir dir(folder);
    for (const QString& name : dir.entryList({QStringLiteral("callgrind.out*")}, QDir::Files)) {
        QFile file(dir.filePath(name));
        if (!file.open(QIODevice::ReadOnly)) continue;
        QString label;
        int read_events = 0;
        double total = -1;
        while (!file.atEnd()) {
            const QByteArray line = file.readLine().trimmed();
            static const QByteArray trigger = "desc: Trigger: Client Request: ";
            if (line.startsWith(trigger)) {
                const QList<QByteArray> words = line.mid(trigger.size()).split(' ');
                label = QString::fromLatin1(words.value(0));
                for (const QByteArray& word : words) {
                    if (word.startsWith("events=")) read_events = word.mid(7).toInt();
                }
            } else if (line.startsWith("totals:") || line.startsWith("summary:")) {
                total = line.mid(line.indexOf(':') + 1).trimmed().split(' ').value(0).toDouble();
            }
        }
        if (label.isEmpty() || total < 0) continue;  // the dump at program end, for instance
        instructions[label].push_back(total);
        events[label].push_back(read_events);
    }

    QJsonObject out;
    if (instructions.empty()) return out;
    // What the profiled run itself counted, if it left its counts beside the profiles.
    QFile counts(dir.filePath(QStringLiteral("counts.json")));
    if (counts.open(QIODevice::ReadOnly)) {
        out[QStringLiteral("run")] = QJsonDocument::fromJson(counts.readAll()).object();
    }
    for (const auto& [label, values] : instructions) {
        QJsonObject entry = to_json(summarize(values));
        if (label.startsWith(QLatin1String("frame")) || label == QLatin1String("stray")) {
            entry[QStringLiteral("read_notifications_per_dump")] =
                to_json(summarize(events[label]));
        }
        out[label] = entry;
    }
    return out;
}

}  // namespace quellbox::bench
