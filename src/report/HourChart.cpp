#include "HourChart.h"

#include "ReportTable.h"

#include <QFontMetricsF>
#include <QPainter>
#include <algorithm>

namespace report {

namespace {

const QColor axisColour(0x44, 0x44, 0x44);

// A step of 1, 2 or 5 times a power of ten for the value axis, giving at most six marks.
qint64 valueStep(qint64 greatest) {
    for (qint64 scale = 1;; scale *= 10)
        for (const qint64 step : {scale, 2 * scale, 5 * scale})
            if (greatest / step <= 5)
                return step;
}

} // namespace

void paintHourChart(QPainter& painter, const QRectF& area, const std::array<int, 24>& perHour) {
    painter.save();
    painter.setRenderHint(QPainter::Antialiasing);
    const QFontMetricsF metrics(painter.font());
    const qint64 greatest = std::max(1, *std::max_element(perHour.cbegin(), perHour.cend()));
    const qint64 step = valueStep(greatest);
    const qint64 top = (greatest + step - 1) / step * step;

    const qreal labelWidth = metrics.horizontalAdvance(QString::number(top)) + 8;
    const QRectF plot(area.left() + labelWidth, area.top() + 2 * metrics.height(),
                      area.width() - labelWidth - 4, area.height() - 4 * metrics.height());
    painter.setPen(axisColour);
    painter.drawText(QRectF(area.left(), area.top(), area.width(), metrics.height()),
                     Qt::AlignLeft | Qt::AlignTop, ReportText::tr("Lines stored per hour"));
    for (qint64 value = 0; value <= top; value += step) {
        const qreal y = plot.bottom() - plot.height() * qreal(value) / qreal(top);
        painter.setPen(QColor(0xdd, 0xdd, 0xdd));
        painter.drawLine(QPointF(plot.left(), y), QPointF(plot.right(), y));
        painter.setPen(axisColour);
        painter.drawText(
            QRectF(area.left(), y - metrics.height() / 2, labelWidth - 4, metrics.height()),
            Qt::AlignRight | Qt::AlignVCenter, QString::number(value));
    }
    const qreal slot = plot.width() / 24;
    for (int hour = 0; hour < 24; ++hour) {
        const qreal x = plot.left() + hour * slot;
        const qreal height = plot.height() * perHour[hour] / qreal(top);
        painter.fillRect(QRectF(x + slot * 0.15, plot.bottom() - height, slot * 0.7, height),
                         hourChartBarColour);
        if (hour % 2 == 0)
            painter.drawText(QRectF(x, plot.bottom() + 2, slot * 2, metrics.height()),
                             Qt::AlignLeft | Qt::AlignTop, QString::number(hour));
    }
    painter.drawLine(plot.bottomLeft(), plot.bottomRight());
    painter.drawText(
        QRectF(plot.left(), plot.bottom() + metrics.height(), plot.width(), metrics.height()),
        Qt::AlignHCenter | Qt::AlignTop, ReportText::tr("hour of the day"));
    painter.restore();
}

QImage hourChartImage(const std::array<int, 24>& perHour) {
    QImage image(hourChartSize, QImage::Format_RGB32);
    image.fill(Qt::white);
    QPainter painter(&image);
    paintHourChart(painter, QRectF(QPointF(0, 0), hourChartSize).adjusted(6, 6, -6, -6), perHour);
    return image;
}

} // namespace report
