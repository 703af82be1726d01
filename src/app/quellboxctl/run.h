#pragma once
// The program as a whole, short of creating the application object: reads the command line,
// runs the command and yields the exit status.

#include <QStringList>

namespace quellbox::ctl {

int run(const QStringList& arguments);

}  // namespace quellbox::ctl
