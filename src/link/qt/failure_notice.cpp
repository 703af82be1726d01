#include "link/failure_notice.h"

#include <QCoreApplication>

#include "link/notice_words.h"

namespace quellbox::link {

namespace {

std::string translate(const char* context, const char* source) {
    return QCoreApplication::translate(context, source).toStdString();
}

FailureNotice qt_notice(const NoticeWords& words) {
    return {QString::fromStdString(words.what), QString::fromStdString(words.advice)};
}

}  // namespace

FailureNotice open_failure_notice(const OpenResult& result, const QString& port_text) {
    return qt_notice(open_failure_words(result, port_text.toStdString(), translate));
}

FailureNotice loss_notice(const std::string& device, const std::string& reason) {
    return qt_notice(loss_words(device, reason, translate));
}

}  // namespace quellbox::link
