#pragma once
// Histograms of the bench's distributions, drawn with QPainter into a PNG: the tick period at
// the window and at the board, click to frame, and status in to painted, each with the idle
// and the loaded run overlaid.

#include <QString>
#include <vector>

#include "analysis.h"

namespace quellbox::bench {

bool draw_plot(const QString& path, const std::vector<Column>& columns, const QString& subtitle);

}  // namespace quellbox::bench
