#include "Unit1.h"

#include "ui_Unit1.h"

#include <QTimer>

namespace {

// Designer forms carry point sizes only; this window's fonts are given in pixels.
QFont pixelFont(const QString& family, int pixels) {
    QFont font(family);
    font.setPixelSize(pixels);
    return font;
}

} // namespace

TForm1::TForm1(QWidget* parent) : QWidget(parent, Qt::Window), ui(std::make_unique<Ui::TForm1>()) {
    ui->setupUi(this);
    move(313, 158); // the generated setup sizes a top-level form but does not place it
    setBackgroundRole(QPalette::Button);
    setAutoFillBackground(true);

    setFont(pixelFont(QStringLiteral("MS Sans Serif"), 11));
    const QFont large = pixelFont(QStringLiteral("MS Sans Serif"), 16);
    for (QWidget* widget : std::initializer_list<QWidget*>{ui->btnOpenPort, ui->btnEnd, ui->btnSend,
                                                           ui->Label2, ui->mReceive})
        widget->setFont(large);

    ui->rdCOM->setFont(pixelFont(QStringLiteral("新細明體"), 16));
    QPalette portPalette = ui->rdCOM->palette();
    portPalette.setColor(QPalette::WindowText, Qt::blue);
    ui->rdCOM->setPalette(portPalette);

    auto* timer = new QTimer(this);
    timer->setObjectName(QStringLiteral("Timer1"));
    timer->setInterval(100);
}

TForm1::~TForm1() = default;
