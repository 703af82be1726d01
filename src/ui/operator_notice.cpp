#include "ui/operator_notice.h"

#include <QPushButton>

namespace quellbox::ui {

void OperatorNotice::show(const QString& title, const QString& text, const QString& detail) {
    if (!box_) {
        box_ = new QMessageBox(parent_);
        box_->setObjectName(QStringLiteral("operator_notice"));
        box_->setIcon(QMessageBox::Warning);
        box_->setStandardButtons(QMessageBox::Ok);
        box_->button(QMessageBox::Ok)->setText(tr("OK"));
        box_->setAttribute(Qt::WA_DeleteOnClose);
        // Never exec(): the caller is an event handler and must not spin a nested loop.
        box_->setModal(false);
        box_->setWindowModality(Qt::NonModal);
    }
    box_->setWindowTitle(title);
    box_->setText(text);
    box_->setInformativeText(detail);
    box_->show();
    box_->raise();
}

}  // namespace quellbox::ui
