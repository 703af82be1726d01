#pragma once
// The window's operator notice as the operator meets it: the box while it is on screen, and all
// it says. Found by the object name the window gives it, as any control is.

#include <QMessageBox>
#include <QString>
#include <QWidget>

namespace quellbox::test {

// The notice box while it is visible, else nullptr.
inline QMessageBox* visible_notice(const QWidget& window) {
    auto* box = window.findChild<QMessageBox*>(QStringLiteral("operator_notice"));
    return box != nullptr && box->isVisible() ? box : nullptr;
}

// Headline and detail of the visible notice; empty when none is up.
inline QString visible_notice_text(const QWidget& window) {
    const QMessageBox* box = visible_notice(window);
    return box == nullptr ? QString() : box->text() + QLatin1Char('\n') + box->informativeText();
}

}  // namespace quellbox::test
