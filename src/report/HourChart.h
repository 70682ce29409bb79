#pragma once

#include <QColor>
#include <QImage>
#include <QRectF>
#include <QSize>
#include <array>

class QPainter;

namespace report {

// The bar chart of lines stored in each hour of the day, painted into `area`.
void paintHourChart(QPainter& painter, const QRectF& area, const std::array<int, 24>& perHour);

constexpr QSize hourChartSize{720, 260};
inline const QColor hourChartBarColour(0x2e, 0x6d, 0xb4);

// The chart as an image of hourChartSize, on white.
QImage hourChartImage(const std::array<int, 24>& perHour);

} // namespace report
