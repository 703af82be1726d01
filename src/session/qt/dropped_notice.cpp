#include "session/dropped_notice.h"

#include <QCoreApplication>

namespace quellbox::session {

namespace {

struct Text {
    Q_DECLARE_TR_FUNCTIONS(QuellboxSession)
};

}  // namespace

QString dropped_notice(const DroppedAnswers& dropped) {
    QString why;
    switch (dropped.reason) {
        case DropReason::names_other_board:
            why = Text::tr(
                      "dropped an answer whose byte 1 names board %1: that board answers "
                      "late or out of turn")
                      .arg(dropped.byte1);
            break;
        case DropReason::too_early:
            why = Text::tr(
                "dropped an answer that began while the poll was still going out: a "
                "late answer to the frame before");
            break;
        case DropReason::several:
            why = Text::tr(
                "dropped the answers to one poll: more than one came, and which is "
                "this board's cannot be told");
            break;
        case DropReason::unasked:
            why = Text::tr(
                "dropped an answer that came after the poll was answered: a board "
                "answers late or twice");
            break;
    }
    if (dropped.count > 1) {
        why += QLatin1String(" (") +
               Text::tr("%1 answers dropped since the last report, told at most once a minute")
                   .arg(dropped.count) +
               QLatin1Char(')');
    }
    return why;
}

}  // namespace quellbox::session
