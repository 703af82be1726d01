#pragma once
// A frame as the virtual board logs it: "55 01 10 00 00 00 00 66".

#include <QString>

#include "link/frames.h"
#include "tools/hex.h"

namespace quellbox::bench {

inline QString hex(const link::Frame& frame) {
    return QString::fromStdString(tools::hex(frame, tools::HexDigits::lower));
}

}  // namespace quellbox::bench
