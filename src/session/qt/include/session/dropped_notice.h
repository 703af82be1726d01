#pragma once
// The operator's words for answers the poll session did not give to the polled board, one
// line for a log; the caller names the board.

#include <QString>

#include "session/poll_session.h"

namespace quellbox::session {

QString dropped_notice(const DroppedAnswers& dropped);

}  // namespace quellbox::session
