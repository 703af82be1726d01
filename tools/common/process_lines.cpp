#include "tools/process_lines.h"

namespace quellbox::tools {

void split_lines(QByteArray& pending, const QByteArray& bytes,
                 const std::function<void(const QByteArray& line)>& handler) {
    pending += bytes;
    qsizetype end = 0;
    while ((end = pending.indexOf('\n')) >= 0) {
        const QByteArray line = pending.left(end);
        pending.remove(0, end + 1);
        handler(line);
    }
}

}  // namespace quellbox::tools
