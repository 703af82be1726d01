#include "plot.h"

#include <QFont>
#include <QImage>
#include <QPainter>
#include <QPainterPath>
#include <algorithm>
#include <cmath>

namespace quellbox::bench {
namespace {

struct Panel {
    QString title;
    QString unit;
    double low;
    double high;
    double bin;
    bool log_counts;
    std::vector<const std::vector<double>*> series;  // one per column
};

const QColor series_colours[] = {QColor(31, 119, 180), QColor(230, 110, 20)};

void draw_panel(QPainter& p, const QRectF& area, const Panel& panel,
                const std::vector<Column>& columns) {
    const QRectF plot = area.adjusted(70, 40, -20, -50);
    const int bins = static_cast<int>(std::lround((panel.high - panel.low) / panel.bin));

    std::vector<std::vector<int>> counts;
    std::vector<int> beyond;
    int top = 1;
    for (const auto* samples : panel.series) {
        std::vector<int> c(static_cast<std::size_t>(bins), 0);
        int out = 0;
        for (const double v : *samples) {
            int i = static_cast<int>(std::floor((v - panel.low) / panel.bin));
            if (i < 0 || i >= bins) ++out;
            i = std::clamp(i, 0, bins - 1);  // beyond the range: shown at the edge
            ++c[static_cast<std::size_t>(i)];
        }
        top = std::max(top, *std::max_element(c.begin(), c.end()));
        counts.push_back(std::move(c));
        beyond.push_back(out);
    }
    auto y_of = [&](double count) {
        const double f = panel.log_counts ? std::log10(count + 1) / std::log10(top + 1.0)
                                          : count / static_cast<double>(top);
        return plot.bottom() - f * plot.height();
    };
    auto x_of = [&](double value) {
        return plot.left() + (value - panel.low) / (panel.high - panel.low) * plot.width();
    };

    p.setPen(Qt::black);
    QFont title_font = p.font();
    title_font.setBold(true);
    p.setFont(title_font);
    p.drawText(QRectF(area.left(), area.top() + 5, area.width(), 25), Qt::AlignHCenter,
               panel.title);
    QFont normal = title_font;
    normal.setBold(false);
    p.setFont(normal);

    // Bars of each series side by side within a bin.
    const double bin_width = plot.width() / bins;
    const double bar_width =
        bin_width / static_cast<double>(std::max<std::size_t>(1, counts.size()));
    for (std::size_t s = 0; s < counts.size(); ++s) {
        p.setPen(Qt::NoPen);
        p.setBrush(series_colours[s % 2]);
        for (int i = 0; i < bins; ++i) {
            const int c = counts[s][static_cast<std::size_t>(i)];
            if (c == 0) continue;
            const double x = plot.left() + i * bin_width + static_cast<double>(s) * bar_width;
            const double y = y_of(c);
            p.drawRect(QRectF(x, y, std::max(1.0, bar_width), plot.bottom() - y));
        }
    }

    // Axes, ticks and labels.
    p.setPen(Qt::black);
    p.setBrush(Qt::NoBrush);
    p.drawLine(plot.bottomLeft(), plot.bottomRight());
    p.drawLine(plot.bottomLeft(), plot.topLeft());
    const int x_ticks = 10;
    for (int k = 0; k <= x_ticks; ++k) {
        const double v = panel.low + (panel.high - panel.low) * k / x_ticks;
        const double x = x_of(v);
        p.drawLine(QPointF(x, plot.bottom()), QPointF(x, plot.bottom() + 5));
        p.drawText(QRectF(x - 40, plot.bottom() + 6, 80, 18), Qt::AlignHCenter,
                   QString::number(v, 'g', 4));
    }
    p.drawText(QRectF(plot.left(), plot.bottom() + 24, plot.width(), 20), Qt::AlignHCenter,
               panel.unit);
    const double middle = panel.log_counts ? std::sqrt(static_cast<double>(top)) : top / 2.0;
    for (const double c : {0.0, middle, static_cast<double>(top)}) {
        const double shown = std::round(c);
        const double y = y_of(shown);
        p.drawLine(QPointF(plot.left() - 5, y), QPointF(plot.left(), y));
        p.drawText(QRectF(area.left(), y - 9, 60, 18), Qt::AlignRight | Qt::AlignVCenter,
                   QString::number(shown));
    }
    p.save();
    p.translate(area.left() + 12, plot.center().y());
    p.rotate(-90);
    p.drawText(QRectF(-80, -10, 160, 20), Qt::AlignHCenter,
               panel.log_counts ? QStringLiteral("count (log scale)") : QStringLiteral("count"));
    p.restore();

    // Legend with sample counts and what fell outside the range.
    double legend_y = plot.top() + 4;
    for (std::size_t s = 0; s < counts.size(); ++s) {
        p.fillRect(QRectF(plot.right() - 230, legend_y + 3, 12, 12), series_colours[s % 2]);
        QString text =
            QStringLiteral("%1: %2 samples").arg(columns[s].label).arg(panel.series[s]->size());
        if (beyond[s] > 0) text += QStringLiteral(", %1 at edges").arg(beyond[s]);
        p.drawText(QRectF(plot.right() - 214, legend_y, 214, 18), Qt::AlignLeft, text);
        legend_y += 18;
    }
}

}  // namespace

bool draw_plot(const QString& path, const std::vector<Column>& columns, const QString& subtitle) {
    QImage image(1400, 1000, QImage::Format_RGB32);
    image.fill(Qt::white);
    QPainter p(&image);
    p.setRenderHint(QPainter::Antialiasing);
    QFont font(QStringLiteral("DejaVu Sans"));
    font.setPixelSize(13);
    p.setFont(font);

    QFont heading = font;
    heading.setPixelSize(17);
    heading.setBold(true);
    p.setFont(heading);
    p.drawText(QRectF(0, 8, image.width(), 24), Qt::AlignHCenter,
               QStringLiteral("quellbox-bench: poll tick and latency distributions"));
    p.setFont(font);
    p.drawText(QRectF(0, 32, image.width(), 20), Qt::AlignHCenter, subtitle);

    auto series = [&](std::vector<double> Column::*member) {
        std::vector<const std::vector<double>*> out;
        for (const Column& c : columns) out.push_back(&(c.*member));
        return out;
    };
    const Panel panels[] = {
        {QStringLiteral("Tick period at the tick handler"), QStringLiteral("ms"), 45, 55, 0.1, true,
         series(&Column::tick_periods_ms)},
        {QStringLiteral("Tick period as frames reach the board"), QStringLiteral("ms"), 45, 55, 0.1,
         true, series(&Column::board_periods_ms)},
        {QStringLiteral("Click to command frame complete at the board"), QStringLiteral("ms"), 0,
         80, 2, false, series(&Column::click_latencies_ms)},
        {QStringLiteral("Status frame in to last indicator painted (frames that change a look)"),
         QStringLiteral("ms"), 0, 5, 0.1, false, series(&Column::status_to_painted_ms)},
    };
    const double w = image.width() / 2.0;
    const double h = (image.height() - 60) / 2.0;
    for (int i = 0; i < 4; ++i) {
        const QRectF area((i % 2) * w, 60 + (i / 2) * h, w, h);
        draw_panel(p, area, panels[i], columns);
    }
    p.end();
    return image.save(path, "PNG");
}

}  // namespace quellbox::bench
