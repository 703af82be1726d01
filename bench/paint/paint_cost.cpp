// quellbox-bench-paint: what the indicator boxes' two paint caches buy. Sets of sixteen boxes at
// the window's geometry switch to the next look together and are repainted at once, in turn:
// the window's own boxes (each face drawn once per look and copied, each caption laid out once
// per text), each cache alone, and plain Qt widgets that draw everything every time (a sunken
// QFrame filled and framed, a QLabel). The time of each whole repaint is what a state change
// adds before the last indicator shows it; the window has a millisecond from the last byte of
// a status frame to that.
//
//   quellbox-bench-paint [ROUNDS]      (QT_QPA_PLATFORM picks offscreen or a real X server)
//
// Prints one JSON object: p50, p99 and max in microseconds for each set.

#include <QApplication>
#include <QElapsedTimer>
#include <QJsonDocument>
#include <QJsonObject>
#include <QLabel>
#include <QPainter>
#include <array>
#include <cstdio>
#include <cstdlib>
#include <vector>

#include "controller/looks.h"
#include "stats.h"
#include "ui/colours.h"
#include "ui/fonts.h"
#include "ui/form_layout.h"
#include "ui/indicator_box.h"

namespace {

using namespace quellbox;

constexpr int boxes = 16;

// A box without the face cache: a plain QFrame, filled and framed on every paint.
class PlainBox final : public QFrame {
  public:
    explicit PlainBox(QWidget* parent) : QFrame(parent) {
        setFrameStyle(QFrame::Panel | QFrame::Sunken);
        setLineWidth(1);
        setAttribute(Qt::WA_OpaquePaintEvent);
    }
    void set_colour(controller::Colour colour) {
        colour_ = colour;
        update();
    }

  protected:
    void paintEvent(QPaintEvent*) override {
        QPainter painter(this);
        painter.fillRect(rect(), ui::resolve_colour(colour_, palette()));
        drawFrame(&painter);
    }

  private:
    controller::Colour colour_ = controller::colour_not_known;
};

struct Set {
    QWidget window;
    std::array<ui::IndicatorBox*, boxes> own{};
    std::array<PlainBox*, boxes> plain{};
    std::array<QLabel*, boxes> captions{};
};

void build(Set& set, bool face_cache, bool caption_cache) {
    set.window.resize(448, 531);
    for (int n = 1; n <= boxes; ++n) {
        const auto i = static_cast<std::size_t>(n - 1);
        QFrame* box = nullptr;
        if (face_cache) {
            set.own[i] = new ui::IndicatorBox(n, controller::colour_not_known, &set.window);
            box = set.own[i];
        } else {
            set.plain[i] = new PlainBox(&set.window);
            box = set.plain[i];
        }
        box->setGeometry(ui::layout::indicator(n));
        if (face_cache && caption_cache) {
            set.captions[i] = set.own[i]->caption();
            continue;
        }
        if (face_cache) set.own[i]->caption()->hide();
        if (caption_cache) {
            set.captions[i] = new ui::CaptionLabel(n, box);
        } else {
            set.captions[i] = new QLabel(box);  // laid out on every paint
            set.captions[i]->setFont(ui::song_font(ui::TextSize::pt15));
            set.captions[i]->setAlignment(Qt::AlignLeft | Qt::AlignTop);
        }
        set.captions[i]->setGeometry(ui::layout::caption.translated(box->contentsRect().topLeft()));
    }
    set.window.show();
}

// Every box to `look`, then one synchronous repaint; microseconds.
double switch_all(Set& set, const controller::Look& look) {
    const QString caption =
        QString::fromUtf8(look.caption.data(), static_cast<qsizetype>(look.caption.size()));
    QElapsedTimer timer;
    timer.start();
    for (std::size_t i = 0; i < boxes; ++i) {
        if (set.own[i] != nullptr) set.own[i]->set_colour(look.colour);
        if (set.plain[i] != nullptr) set.plain[i]->set_colour(look.colour);
        set.captions[i]->setText(caption);
    }
    set.window.repaint();
    return static_cast<double>(timer.nsecsElapsed()) / 1000.0;
}

QJsonObject figures(std::vector<double> samples) {
    const bench::Summary s = bench::summarize(std::move(samples));
    return {{QStringLiteral("p50_us"), s.p50},
            {QStringLiteral("p99_us"), s.p99},
            {QStringLiteral("max_us"), s.max}};
}

}  // namespace

int main(int argc, char* argv[]) {
    QApplication app(argc, argv);
    ui::install_song_substitutes();
    const int rounds = argc > 1 ? std::max(10, std::atoi(argv[1])) : 2000;

    struct Variant {
        const char* name;
        bool face_cache;
        bool caption_cache;
    };
    constexpr std::array<Variant, 4> variants = {
        Variant{"window", true, true}, Variant{"face_cache_only", true, false},
        Variant{"caption_cache_only", false, true}, Variant{"no_cache", false, false}};
    std::array<Set, variants.size()> sets;
    for (std::size_t v = 0; v < variants.size(); ++v) {
        build(sets[v], variants[v].face_cache, variants[v].caption_cache);
    }
    QApplication::processEvents();

    const std::array<const controller::Look*, 3> looks = {
        &controller::energized_look, &controller::released_look, &controller::not_known_look};
    std::array<std::vector<double>, variants.size()> samples;
    // The first round of each set lays out fonts and glyph caches: not a state change's cost.
    for (int r = -1; r < rounds; ++r) {
        const controller::Look& look = *looks[static_cast<std::size_t>(r + 1) % looks.size()];
        for (std::size_t v = 0; v < variants.size(); ++v) {
            const double us = switch_all(sets[v], look);
            if (r >= 0) samples[v].push_back(us);
        }
        QApplication::processEvents();  // the flushes to the screen, outside the timed part
    }

    QJsonObject out{{QStringLiteral("platform"), QGuiApplication::platformName()},
                    {QStringLiteral("rounds"), rounds}};
    for (std::size_t v = 0; v < variants.size(); ++v) {
        out.insert(QLatin1String(variants[v].name), figures(std::move(samples[v])));
    }
    std::printf("%s\n", QJsonDocument(out).toJson(QJsonDocument::Compact).constData());
    return 0;
}
