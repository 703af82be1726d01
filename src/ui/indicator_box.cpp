#include "ui/indicator_box.h"

#include <QAccessible>
#include <QAccessibleWidget>
#include <QFontMetricsF>
#include <QKeyEvent>
#include <QPainter>
#include <QPixmapCache>
#include <QStyleOption>
#include <QStyleOptionFocusRect>
#include <QTextOption>
#include <algorithm>
#include <array>
#include <cmath>
#include <utility>
#include <vector>

#include "controller/looks.h"
#include "ui/colours.h"
#include "ui/fonts.h"
#include "ui/form_layout.h"

namespace quellbox::ui {
namespace {

// What pressing the box does in each look: a channel click asks for the opposite of a known
// state and for nothing otherwise.
QString what_a_press_does(Colour colour) {
    switch (controller::kind_of(colour).value_or(controller::LookKind::not_known)) {
        case controller::LookKind::energized:
            return QStringLiteral("单击或按空格键断开此路继电器。");
        case controller::LookKind::released:
            return QStringLiteral("单击或按空格键吸合此路继电器。");
        case controller::LookKind::port_closed:
            return QStringLiteral("打开串口后显示此路状态。");
        case controller::LookKind::not_known:
            break;
    }
    return QStringLiteral("继电器板尚未回报此路状态, 单击无效。");
}

// To assistive technology the box is a button whose press action is a click.
class IndicatorAccessible final : public QAccessibleWidget {
  public:
    explicit IndicatorAccessible(IndicatorBox* box) : QAccessibleWidget(box, QAccessible::Button) {}

    QStringList actionNames() const override {
        return QAccessibleWidget::actionNames() << pressAction();
    }

    void doAction(const QString& action) override {
        if (action == pressAction()) {
            if (widget()->isEnabled()) static_cast<IndicatorBox*>(widget())->activate();
            return;
        }
        QAccessibleWidget::doAction(action);
    }
};

QAccessibleInterface* indicator_accessible(const QString& class_name, QObject* object) {
    if (class_name != QLatin1String(IndicatorBox::staticMetaObject.className())) return nullptr;
    auto* box = qobject_cast<IndicatorBox*>(object);
    return box != nullptr ? new IndicatorAccessible(box) : nullptr;
}

// Everything that goes into a face: the fill and all that drawFrame() looks at.
struct FaceKey {
    QRgb fill;
    QSize size;
    qreal ratio;
    int frame_style;
    int line_width;
    int mid_line_width;
    qint64 palette;
    bool enabled;
    bool active;
    bool focus;

    bool operator==(const FaceKey&) const = default;
};

// The faces drawn so far. Their pixmaps live in QPixmapCache, which may drop one at any time:
// then it is drawn again.
std::vector<std::pair<FaceKey, QPixmapCache::Key>>& known_faces() {
    static std::vector<std::pair<FaceKey, QPixmapCache::Key>> faces;
    return faces;
}

}  // namespace

QString channel_name(int channel) {
    const std::string_view name = controller::design::channel_name(channel);
    return QString::fromUtf8(name.data(), static_cast<qsizetype>(name.size()));
}

QString state_in_words(Colour colour) {
    const std::string_view words = controller::design::state_in_words(colour);
    return QString::fromUtf8(words.data(), static_cast<qsizetype>(words.size()));
}

CaptionLabel::CaptionLabel(int channel, QWidget* parent) : QLabel(parent), channel_(channel) {
    setObjectName(QStringLiteral("Label2_%1").arg(channel));
    setFont(song_font(TextSize::pt15));
    setForegroundRole(QPalette::ButtonText);
    setAlignment(Qt::AlignLeft | Qt::AlignTop);
    setAutoFillBackground(false);
}

// What QLabel paints for plain, unframed, left-to-right text without margin or indent, the
// only kind a caption holds: the text in the foreground colour at the top left of the contents,
// clipped to them only if it does not fit. Anything else is left to QLabel.
void CaptionLabel::paintEvent(QPaintEvent* event) {
    const QString shown = text();
    const bool plain =
        frameShape() == QFrame::NoFrame && margin() == 0 && indent() <= 0 &&
        textFormat() != Qt::RichText && !Qt::mightBeRichText(shown) && !wordWrap() &&
        alignment() == (Qt::AlignLeft | Qt::AlignTop) && layoutDirection() == Qt::LeftToRight &&
        isEnabled() && buddy() == nullptr && focusPolicy() == Qt::NoFocus &&
        !(textInteractionFlags() &
          (Qt::TextSelectableByMouse | Qt::TextSelectableByKeyboard | Qt::TextEditable)) &&
        !shown.isRightToLeft();
    if (!plain || shown.isEmpty()) {
        QLabel::paintEvent(event);
        return;
    }
    QStyleOption option;
    option.initFrom(this);
    QPainter painter(this);
    painter.setPen(QPen(option.palette.brush(foregroundRole()), painter.pen().widthF()));
    const QRect area = contentsRect();
    const Prepared& laid_out = prepared(shown);
    // drawText() cuts off a text larger than its rectangle, and only such a text.
    if (laid_out.size.width() > area.width() || laid_out.size.height() > area.height()) {
        painter.setClipRect(area, Qt::IntersectClip);
    }
    painter.drawStaticText(area.topLeft(), laid_out.text);
}

const CaptionLabel::Prepared& CaptionLabel::prepared(const QString& text) {
    const QFont& current = font();
    for (const Prepared& candidate : prepared_) {
        if (candidate.text.text() == text && candidate.font == current) return candidate;
    }
    Prepared& slot = prepared_[next_prepared_];
    next_prepared_ = (next_prepared_ + 1) % prepared_.size();
    QTextOption option(Qt::AlignLeft | Qt::AlignTop);
    option.setTextDirection(Qt::LeftToRight);
    option.setWrapMode(QTextOption::NoWrap);
    slot.text = QStaticText(text);
    slot.text.setTextFormat(Qt::PlainText);
    slot.text.setTextOption(option);
    slot.text.prepare(QTransform(), current);
    slot.font = current;
    slot.size = QFontMetricsF(current, this).size(Qt::TextForceLeftToRight, text);
    return slot;
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
    static const bool accessible_factory_installed = [] {
        QAccessible::installFactory(indicator_accessible);
        return true;
    }();
    Q_UNUSED(accessible_factory_installed);

    setObjectName(QStringLiteral("Picture1_%1").arg(channel));
    setFrameStyle(QFrame::Panel | QFrame::Sunken);
    setLineWidth(1);
    setFocusPolicy(Qt::StrongFocus);
    // We paint the whole box ourselves; nothing behind it needs drawing first.
    setAttribute(Qt::WA_OpaquePaintEvent);

    caption_ = new CaptionLabel(channel, this);
    caption_->setGeometry(layout::caption.translated(contentsRect().topLeft()));
    describe_state();
}

void IndicatorBox::set_colour(Colour colour) {
    // The logic rewrites every channel's look on each accepted status frame and on each stale
    // tick; most of those writes change nothing and must cost next to nothing. (The caption
    // needs no such check here: QLabel::setText ignores the text the label already shows.)
    if (colour == colour_) return;
    colour_ = colour;
    update();
    describe_state();
}

// The state in words follows the colour: it is the colour that records what the board last
// reported, and the caption always comes with it.
void IndicatorBox::describe_state() {
    const QString name = channel_name(channel_);
    const QString state = state_in_words(colour_);
    setAccessibleName(QStringLiteral("%1: %2").arg(name, state));
    setAccessibleDescription(
        QStringLiteral("%1: %2。%3").arg(name, state, what_a_press_does(colour_)));
}

void IndicatorBox::paintEvent(QPaintEvent* /*event*/) {
    const QColor fill = resolve_colour(colour_, palette());
    QPainter painter(this);
    if (const QPixmap* face = cached_face(fill)) {
        painter.drawPixmap(0, 0, *face);
    } else {
        paint_face(painter, fill);
    }
    if (hasFocus()) {
        QStyleOptionFocusRect option;
        option.initFrom(this);
        option.rect = contentsRect().adjusted(1, 1, -1, -1);
        option.backgroundColor = fill;
        style()->drawPrimitive(QStyle::PE_FrameFocusRect, &option, &painter, this);
    }
}

void IndicatorBox::paint_face(QPainter& painter, const QColor& fill) {
    painter.fillRect(rect(), fill);
    drawFrame(&painter);
}

// A change of state repaints all sixteen boxes, and drawing the bevel is most of that: with
// four looks and one size, copying a face drawn once is enough.
const QPixmap* IndicatorBox::cached_face(const QColor& fill) {
    const qreal ratio = devicePixelRatioF();
    if (ratio != std::round(ratio)) return nullptr;
    const FaceKey key{fill.rgba(),
                      size(),
                      ratio,
                      frameStyle(),
                      lineWidth(),
                      midLineWidth(),
                      palette().cacheKey(),
                      isEnabled(),
                      isActiveWindow(),
                      hasFocus()};
    auto& faces = known_faces();
    const auto known = std::find_if(faces.begin(), faces.end(),
                                    [&](const auto& face) { return face.first == key; });
    if (known != faces.end() && QPixmapCache::find(known->second, &face_)) return &face_;

    face_ = QPixmap(size() * ratio);
    face_.setDevicePixelRatio(ratio);
    QPainter painter(&face_);
    paint_face(painter, fill);
    painter.end();
    const QPixmapCache::Key cached = QPixmapCache::insert(face_);
    if (known != faces.end()) {
        known->second = cached;
    } else {
        if (faces.size() >= 32) faces.erase(faces.begin());  // a palette or size left behind
        faces.emplace_back(key, cached);
    }
    return &face_;
}

void IndicatorBox::mousePressEvent(QMouseEvent* event) {
    click_.press(*event);
    event->accept();
}

void IndicatorBox::mouseReleaseEvent(QMouseEvent* event) {
    if (click_.release(*event, rect())) activate();
    event->accept();
}

void IndicatorBox::keyPressEvent(QKeyEvent* event) {
    switch (event->key()) {
        case Qt::Key_Space:
        case Qt::Key_Return:
        case Qt::Key_Enter:
            if (!event->isAutoRepeat()) activate();
            event->accept();
            return;
        default:
            QFrame::keyPressEvent(event);
    }
}

}  // namespace quellbox::ui
