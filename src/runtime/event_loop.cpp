#include "runtime/event_loop.h"

#include <QByteArray>
#include <QtGlobal>

namespace quellbox::runtime {

void use_qt_event_loop() {
    if (!qEnvironmentVariableIsSet("QT_NO_GLIB")) qputenv("QT_NO_GLIB", QByteArrayLiteral("1"));
}

}  // namespace quellbox::runtime
