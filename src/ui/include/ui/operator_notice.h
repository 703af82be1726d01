#pragma once
// Tells the operator about a port that would not open or went away, without stopping anything:
// the box is non-modal and the caller returns to the event loop at once. Only one box is ever
// up; a new notice replaces the text of the one showing, so a port that keeps failing cannot
// pile up windows.

#include <QCoreApplication>
#include <QMessageBox>
#include <QPointer>
#include <QString>

namespace quellbox::ui {

class OperatorNotice {
    Q_DECLARE_TR_FUNCTIONS(OperatorNotice)

  public:
    explicit OperatorNotice(QWidget* parent) : parent_(parent) {}

    void show(const QString& title, const QString& text, const QString& detail);

  private:
    QWidget* parent_;
    QPointer<QMessageBox> box_;
};

}  // namespace quellbox::ui
