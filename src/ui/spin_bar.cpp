#include "ui/spin_bar.h"

#include <QAccessible>
#include <QAccessibleValueInterface>
#include <QAccessibleWidget>
#include <QPainter>
#include <QStyleOptionFocusRect>

namespace quellbox::ui {
namespace {

class SpinBarAccessible final : public QAccessibleWidget, public QAccessibleValueInterface {
  public:
    explicit SpinBarAccessible(SpinBar* bar) : QAccessibleWidget(bar, QAccessible::SpinBox) {}

    void* interface_cast(QAccessible::InterfaceType type) override {
        if (type == QAccessible::ValueInterface)
            return static_cast<QAccessibleValueInterface*>(this);
        return QAccessibleWidget::interface_cast(type);
    }
    QString text(QAccessible::Text kind) const override {
        if (kind == QAccessible::Value) return QString::number(bar()->spin_value());
        return QAccessibleWidget::text(kind);
    }

    QVariant currentValue() const override { return bar()->spin_value(); }
    void setCurrentValue(const QVariant& value) override {
        bar()->set_spin_value(static_cast<std::int16_t>(value.toInt()));
    }
    QVariant maximumValue() const override { return SpinBar::highest; }
    QVariant minimumValue() const override { return SpinBar::lowest; }
    QVariant minimumStepSize() const override { return 1; }

  private:
    SpinBar* bar() const { return static_cast<SpinBar*>(widget()); }
};

QAccessibleInterface* spin_bar_accessible(const QString& class_name, QObject* object) {
    if (class_name != QLatin1String(SpinBar::staticMetaObject.className())) return nullptr;
    auto* bar = qobject_cast<SpinBar*>(object);
    return bar != nullptr ? new SpinBarAccessible(bar) : nullptr;
}

}  // namespace

SpinBar::SpinBar(std::int16_t initial, QWidget* parent) : QScrollBar(Qt::Vertical, parent) {
    static const bool accessible_factory_installed = [] {
        QAccessible::installFactory(spin_bar_accessible);
        return true;
    }();
    Q_UNUSED(accessible_factory_installed);
    setRange(lowest, highest);
    setSingleStep(1);
    setPageStep(1);
    setFocusPolicy(Qt::StrongFocus);
    setValue(position_of(initial));
    // Connected after the initial value: creating the bar raises no change.
    connect(this, &QScrollBar::valueChanged, this, [this] { Q_EMIT spin_value_changed(); });
}

std::int16_t SpinBar::spin_value() const {
    return static_cast<std::int16_t>(highest - value());
}

// A scroll bar draws no focus of its own in most styles: without this frame an operator cannot
// see which of the two bars the arrow keys would move.
void SpinBar::paintEvent(QPaintEvent* event) {
    QScrollBar::paintEvent(event);
    if (!hasFocus()) return;
    QPainter painter(this);
    QStyleOptionFocusRect option;
    option.initFrom(this);
    option.rect = rect().adjusted(1, 1, -1, -1);
    style()->drawPrimitive(QStyle::PE_FrameFocusRect, &option, &painter, this);
}

bool SpinBar::set_spin_value(std::int16_t value) {
    if (value < lowest || value > highest) return false;
    setValue(position_of(value));
    return true;
}

}  // namespace quellbox::ui
