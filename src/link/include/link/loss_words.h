#pragma once
// Why a serial port closed itself (the `reason` of SerialPort's loss report): sentences in the
// catalogue's source language, each program's serial port hands them out, and each program's
// window shows them translated (context "LossText"). Qt-free, so that every port shares them.

// The mark lupdate collects the sentences by; Qt's own definition when Qt came first.
#ifndef QT_TRANSLATE_NOOP
#define QT_TRANSLATE_NOOP(scope, x) x
#endif

namespace quellbox::link::loss_words {

inline constexpr const char* context = "LossText";

inline constexpr const char* hung_up =
    QT_TRANSLATE_NOOP("LossText", "It was unplugged or switched off.");
inline constexpr const char* failed = QT_TRANSLATE_NOOP("LossText", "It reported an error.");
inline constexpr const char* refused =
    QT_TRANSLATE_NOOP("LossText", "The system stopped letting this program use it.");

}  // namespace quellbox::link::loss_words
