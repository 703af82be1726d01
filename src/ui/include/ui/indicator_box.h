#pragma once
// One channel's box: the indicator Picture1(n), painted in the colour the logic last wrote, with
// its caption Label2(n) on top. Indicator and caption report their clicks separately, because
// the logic has a handler for each.
//
// Colour is not the only way the state shows: the box carries the channel's name and state in
// words as its accessible name and description, and assistive technology sees it as a button
// that can be pressed like a click.

#include <QFont>
#include <QFrame>
#include <QLabel>
#include <QPixmap>
#include <QSizeF>
#include <QStaticText>
#include <QString>
#include <array>

#include "controller/window_surface.h"
#include "ui/click_gesture.h"

namespace quellbox::ui {

using controller::channel_count;
using controller::Colour;

// The channel's name as its name label shows it: "第一路" to "第十六路"; empty outside 1 to 16.
QString channel_name(int channel);

// The state a look stands for, in words: "吸合", "断开", "状态未知", or for the port-closed
// look "状态未知 (串口已关闭)". Any other colour tells nothing about the relay: "状态未知".
QString state_in_words(Colour colour);

// Label2(n): transparent, so the indicator's colour shows around and behind the text.
class CaptionLabel final : public QLabel {
    Q_OBJECT
  public:
    CaptionLabel(int channel, QWidget* parent);

  Q_SIGNALS:
    void clicked(int channel);

  protected:
    void paintEvent(QPaintEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;

  private:
    // A text laid out once, with the size QPainter::drawText() would give it in the same font.
    struct Prepared {
        QStaticText text;
        QFont font;
        QSizeF size;
    };
    // The caption laid out once per text: a change of state repaints all sixteen captions, and
    // laying out the same few texts again each time is most of what that costs.
    const Prepared& prepared(const QString& text);

    int channel_;
    ClickGesture click_;
    std::array<Prepared, 4> prepared_;
    std::size_t next_prepared_ = 0;
};

// Picture1(n).
class IndicatorBox final : public QFrame {
    Q_OBJECT
  public:
    IndicatorBox(int channel, Colour initial, QWidget* parent);

    CaptionLabel* caption() const { return caption_; }

    // The value is kept exactly as written: the logic reads it back to decide what a click
    // means, so it must never come back as a resolved or rounded colour. Writing the colour the
    // box already has is still a write, but neither repaints nor renames anything.
    Colour colour() const { return colour_; }
    void set_colour(Colour colour);

    // What a click, the space bar or an assistive technology's press action does.
    void activate() { Q_EMIT clicked(channel_); }

  Q_SIGNALS:
    void clicked(int channel);

  protected:
    void paintEvent(QPaintEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;

  private:
    void describe_state();
    // Colour and sunken border, which is all of the box but the focus frame.
    void paint_face(QPainter& painter, const QColor& fill);
    // The face drawn once per look, size and palette and shared by all boxes (nullptr where
    // copying it could differ from drawing it, at a fractional device pixel ratio).
    const QPixmap* cached_face(const QColor& fill);

    QPixmap face_;  // the face last used, kept so it outlives the cache's eviction

    int channel_;
    Colour colour_;
    CaptionLabel* caption_;
    ClickGesture click_;
};

}  // namespace quellbox::ui
