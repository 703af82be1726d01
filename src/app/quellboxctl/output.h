#pragma once
// How quellboxctl writes: results to stdout, one whole line at a time so that a reader of a
// pipe never sees half a line; plain-word messages to stderr, prefixed with the program name.

#include <QCoreApplication>
#include <QJsonObject>
#include <QString>
#include <cstdint>

#include "link/frames.h"

namespace quellbox::ctl {

void print_line(const QString& line);
void print_json(const QJsonObject& object);
void complain(const QString& message);

// quellboxctl's words for people: messages on stderr and --help, in the catalogue's context
// "quellboxctl". What goes to stdout as data is never put through it.
struct CtlText {
    Q_DECLARE_TR_FUNCTIONS(quellboxctl)
};

// "22 01 00 00 00 00 01 24" with `separator` " ", "2201000000000124" with "".
QString frame_hex(const link::Frame& frame, const char* separator);
// UTC, milliseconds: "2026-12-07T01:40:12.345Z".
QString time_stamp();
QString state_word(bool energized);

// The status object of status and switching: address, device, channels 1 to 16 as booleans,
// the raw status frame in hex.
QJsonObject status_json(std::uint8_t address, const QString& device, link::RelayMap relays,
                        const link::Frame& frame);
// Sixteen lines "N on" / "N off", channel 1 first.
void print_status_lines(link::RelayMap relays);

}  // namespace quellbox::ctl
