#pragma once
// Reads the profiles the callgrind mode dumped, one per event, each labelled through its dump
// trigger ("tick", "frame-same events=8", "frame-changed events=8", "paint", "stray ..."), and
// sums up the instructions per kind of event.

#include <QJsonObject>
#include <QString>

namespace quellbox::bench {

// Empty when the folder holds no labelled profile.
QJsonObject summarize_callgrind(const QString& folder);

}  // namespace quellbox::bench
