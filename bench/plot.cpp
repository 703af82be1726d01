#include <QImage>
#include <QPainter>
#include <algorithm>
#include <cmath>

#include "column_run.h"

namespace quellbox::bench {
namespace {

struct Panel {
    const char* title;
    double low;
    double high;
    double bin;
    bool log_counts;
    std::vector<double> Column::*samples;
};

const QColor colours[] = {QColor(31, 119, 180), QColor(230, 110, 20), QColor(44, 160, 44),
                          QColor(214, 39, 40)};

// One histogram, the columns' bars side by side within each bin; samples beyond the range are
// counted at its edges.
void draw_panel(QPainter& p, const QRectF& area, const Panel& panel,
                const std::vector<Column>& columns) {
    const QRectF plot = area.adjusted(60, 40, -20, -45);
    const int bins = static_cast<int>(std::lround((panel.high - panel.low) / panel.bin));
    std::vector<std::vector<int>> counts;
    int top = 1;
    for (const Column& column : columns) {
        std::vector<int> c(static_cast<std::size_t>(bins), 0);
        for (const double v : column.*panel.samples) {
            const int i = static_cast<int>(std::floor((v - panel.low) / panel.bin));
            ++c[static_cast<std::size_t>(std::clamp(i, 0, bins - 1))];
        }
        top = std::max(top, *std::max_element(c.begin(), c.end()));
        counts.push_back(std::move(c));
    }
    auto y_of = [&](double count) {
        const double f = panel.log_counts ? std::log10(count + 1) / std::log10(top + 1.0)
                                          : count / static_cast<double>(top);
        return plot.bottom() - f * plot.height();
    };
    const double bin_width = plot.width() / bins;
    const double bar = bin_width / static_cast<double>(std::max<std::size_t>(1, counts.size()));
    for (std::size_t s = 0; s < counts.size(); ++s) {
        for (int i = 0; i < bins; ++i) {
            const int c = counts[s][static_cast<std::size_t>(i)];
            const double x = plot.left() + i * bin_width + static_cast<double>(s) * bar;
            if (c > 0)
                p.fillRect(QRectF(x, y_of(c), std::max(1.0, bar), plot.bottom() - y_of(c)),
                           colours[s % 4]);
        }
        const double y = plot.top() + 18.0 * static_cast<double>(s);
        p.fillRect(QRectF(plot.right() - 150, y, 12, 12), colours[s % 4]);
        p.drawText(
            QRectF(plot.right() - 134, y - 3, 134, 18), Qt::AlignLeft,
            QStringLiteral("%1: %2").arg(columns[s].label).arg((columns[s].*panel.samples).size()));
    }
    p.drawText(QRectF(area.left(), area.top() + 8, area.width(), 20), Qt::AlignHCenter,
               QString::fromUtf8(panel.title));
    p.drawLine(plot.bottomLeft(), plot.bottomRight());
    p.drawLine(plot.bottomLeft(), plot.topLeft());
    for (int k = 0; k <= 10; ++k) {
        const double x = plot.left() + plot.width() * k / 10;
        p.drawText(QRectF(x - 40, plot.bottom() + 4, 80, 18), Qt::AlignHCenter,
                   QString::number(panel.low + (panel.high - panel.low) * k / 10, 'g', 4));
    }
    p.drawText(
        QRectF(plot.left(), plot.bottom() + 22, plot.width(), 18), Qt::AlignHCenter,
        panel.log_counts ? QStringLiteral("ms (counts on a log scale)") : QStringLiteral("ms"));
    p.drawText(QRectF(area.left(), plot.top() - 9, 55, 18), Qt::AlignRight, QString::number(top));
}

}  // namespace

bool draw_plot(const QString& path, const std::vector<Column>& columns, const QString& subtitle) {
    QImage image(1400, 1000, QImage::Format_RGB32);
    image.fill(Qt::white);
    QPainter p(&image);
    QFont font(QStringLiteral("DejaVu Sans"));
    font.setPixelSize(13);
    p.setFont(font);
    p.drawText(QRectF(0, 8, image.width(), 20), Qt::AlignHCenter,
               QStringLiteral("quellbox-bench: poll tick and latency distributions"));
    p.drawText(QRectF(0, 30, image.width(), 20), Qt::AlignHCenter, subtitle);
    const Panel panels[] = {
        {"Tick period at the tick handler", 45, 55, 0.1, true, &Column::tick_periods_ms},
        {"Tick period as frames reach the board", 45, 55, 0.1, true, &Column::board_periods_ms},
        {"Click to command frame complete at the board", 0, 80, 2, false,
         &Column::click_latencies_ms},
        {"Status frame in to last indicator painted (a look changed)", 0, 5, 0.1, false,
         &Column::status_to_painted_ms},
    };
    for (int i = 0; i < 4; ++i) {
        const QRectF area((i % 2) * 700.0, 60 + (i / 2) * 470.0, 700, 470);
        draw_panel(p, area, panels[i], columns);
    }
    p.end();
    return image.save(path, "PNG");
}

}  // namespace quellbox::bench
