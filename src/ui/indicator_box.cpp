#include "ui/indicator_box.h"

#include <QKeyEvent>
#include <QPainter>
#include <QStyleOptionFocusRect>

#include "ui/colours.h"
#include "ui/fonts.h"
#include "ui/form_layout.h"

namespace quellbox::ui {

CaptionLabel::CaptionLabel(int channel, QWidget* parent) : QLabel(parent), channel_(channel) {
    setObjectName(QStringLiteral("Label2_%1").arg(channel));
    setFont(song_font(TextSize::pt15));
    setForegroundRole(QPalette::ButtonText);
    setAlignment(Qt::AlignLeft | Qt::AlignTop);
    setAutoFillBackground(false);
}

void CaptionLabel::mousePressEvent(QMouseEvent* event) {
    click_.press(*event);
    event->accept();  // the caption's click is its own, not the indicator's
}

void CaptionLabel::mouseReleaseEvent(QMouseEvent* event) {
    if (click_.release(*event, rect())) Q_EMIT clicked(channel_);
    event->accept();
}

IndicatorBox::IndicatorBox(int channel, Colour initial, QWidget* parent)
    : QFrame(parent), channel_(channel), colour_(initial), caption_(nullptr) {
    setObjectName(QStringLiteral("Picture1_%1").arg(channel));
    setFrameStyle(QFrame::Panel | QFrame::Sunken);
    setLineWidth(1);
    setFocusPolicy(Qt::StrongFocus);
    // We paint the whole box ourselves; nothing behind it needs drawing first.
    setAttribute(Qt::WA_OpaquePaintEvent);

    caption_ = new CaptionLabel(channel, this);
    caption_->setGeometry(layout::caption.translated(contentsRect().topLeft()));
}

void IndicatorBox::set_colour(Colour colour) {
    if (colour == colour_) return;
    colour_ = colour;
    update();
}

void IndicatorBox::paintEvent(QPaintEvent* /*event*/) {
    QPainter painter(this);
    painter.fillRect(rect(), resolve_colour(colour_, palette()));
    drawFrame(&painter);
    if (hasFocus()) {
        QStyleOptionFocusRect option;
        option.initFrom(this);
        option.rect = contentsRect().adjusted(1, 1, -1, -1);
        option.backgroundColor = resolve_colour(colour_, palette());
        style()->drawPrimitive(QStyle::PE_FrameFocusRect, &option, &painter, this);
    }
}

void IndicatorBox::mousePressEvent(QMouseEvent* event) {
    click_.press(*event);
    event->accept();
}

void IndicatorBox::mouseReleaseEvent(QMouseEvent* event) {
    if (click_.release(*event, rect())) Q_EMIT clicked(channel_);
    event->accept();
}

void IndicatorBox::keyPressEvent(QKeyEvent* event) {
    switch (event->key()) {
        case Qt::Key_Space:
        case Qt::Key_Return:
        case Qt::Key_Enter:
            if (!event->isAutoRepeat()) Q_EMIT clicked(channel_);
            event->accept();
            return;
        default:
            QFrame::keyPressEvent(event);
    }
}

}  // namespace quellbox::ui
