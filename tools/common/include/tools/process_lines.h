#pragma once
// A child process's output as lines, for the programs that watch other programs.

#include <QByteArray>
#include <functional>

namespace quellbox::tools {

// Appends `bytes` to `pending` and hands every complete line (without its newline) to
// `handler`; a partial last line waits in `pending` for the rest.
void split_lines(QByteArray& pending, const QByteArray& bytes,
                 const std::function<void(const QByteArray& line)>& handler);

}  // namespace quellbox::tools
