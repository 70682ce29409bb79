#include "MainWindowIcon.h"

#include <QPainter>

namespace {

// The classic 16-colour palette; painting without antialiasing keeps every pixel on it.
const QList<QRgb> sixteenColours = {
    qRgb(0, 0, 0),       qRgb(128, 0, 0),   qRgb(0, 128, 0),   qRgb(128, 128, 0),
    qRgb(0, 0, 128),     qRgb(128, 0, 128), qRgb(0, 128, 128), qRgb(192, 192, 192),
    qRgb(128, 128, 128), qRgb(255, 0, 0),   qRgb(0, 255, 0),   qRgb(255, 255, 0),
    qRgb(0, 0, 255),     qRgb(255, 0, 255), qRgb(0, 255, 255), qRgb(255, 255, 255)};

} // namespace

QIcon mainWindowIcon() {
    QImage canvas(32, 32, QImage::Format_RGB32);
    canvas.fill(QColor(0, 128, 128));
    QPainter p(&canvas);
    p.setRenderHint(QPainter::Antialiasing, false);

    p.setPen(Qt::black);
    p.setBrush(QColor(0, 0, 255)); // cap
    p.drawRect(6, 2, 15, 6);
    p.setBrush(Qt::white); // bottle
    p.drawRect(4, 8, 19, 22);
    p.setPen(Qt::NoPen);
    p.setBrush(QColor(192, 192, 192)); // shaded side
    p.drawRect(19, 9, 4, 21);
    p.setBrush(QColor(255, 0, 0)); // cross on the label
    p.drawRect(11, 13, 5, 13);
    p.drawRect(7, 17, 13, 5);
    p.setBrush(QColor(255, 255, 0)); // a pill beside the bottle
    p.setPen(Qt::black);
    p.drawEllipse(24, 23, 6, 6);
    p.end();

    const QImage indexed =
        canvas.convertToFormat(QImage::Format_Indexed8, sixteenColours, Qt::ThresholdDither);
    return QIcon(QPixmap::fromImage(indexed));
}
