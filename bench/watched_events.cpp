#include "watched_events.h"

#include <QSocketNotifier>

#include "ui/indicator_box.h"
#include "ui/main_form.h"
#include "ui/precise_ticker.h"

namespace quellbox::bench {

void BenchApplication::watch(const ui::MainForm* form, const ui::PreciseTicker* timer1,
                             EventObserver& observer) {
    form_ = form;
    timer1_ = timer1;
    observer_ = &observer;
}

bool BenchApplication::notify(QObject* receiver, QEvent* event) {
    const Watch watch = classify(receiver, event);
    if (watch == Watch::none) return QApplication::notify(receiver, event);
    observer_->begin(watch);
    const bool handled = QApplication::notify(receiver, event);
    observer_->end(watch);
    return handled;
}

Watch BenchApplication::classify(QObject* receiver, QEvent* event) const {
    if (observer_ == nullptr) return Watch::none;
    switch (event->type()) {
        case QEvent::SockAct: {
            const auto* notifier = qobject_cast<QSocketNotifier*>(receiver);
            if (notifier == nullptr || notifier->type() != QSocketNotifier::Read)
                return Watch::none;
            // Timer1 ticks through a notifier of its own.
            if (notifier->parent() == timer1_) return Watch::tick;
            // Qt's own reader (a child of QSerialPort) or the adapter's direct one (a child of
            // its line, a child of the adapter).
            for (const QObject* up = notifier->parent(); up != nullptr; up = up->parent()) {
                if (up->inherits("QSerialPort") || up->inherits("quellbox::link::QtSerialPort"))
                    return Watch::serial_read;
            }
            return Watch::none;
        }
        case QEvent::UpdateRequest:
            return receiver == form_ ? Watch::update_request : Watch::none;
        case QEvent::Paint:
            if (qobject_cast<ui::IndicatorBox*>(receiver) != nullptr ||
                qobject_cast<ui::CaptionLabel*>(receiver) != nullptr) {
                return Watch::paint_channel;
            }
            return observer_->painted() ? Watch::none : Watch::paint_other;
        default:
            return Watch::none;
    }
}

}  // namespace quellbox::bench
