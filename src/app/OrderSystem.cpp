#include "OrderSystem.h"

#include "ErrorGuard.h"
#include "OrderEntryPicture.h"
#include "ui_OrderSystem.h"

#include <QCloseEvent>
#include <QHeaderView>
#include <QMouseEvent>

TOrderForm::TOrderForm(std::function<void()> showMainWindow)
    : QWidget(nullptr,
              Qt::Tool | Qt::CustomizeWindowHint | Qt::WindowTitleHint | Qt::WindowCloseButtonHint),
      ui(std::make_unique<Ui::TOrderForm>()), showMainWindow_(std::move(showMainWindow)) {
    ui->setupUi(this);
    setFixedSize(984, 661);
    move(23, 107);
    ui->Image1->setPixmap(QPixmap::fromImage(orderEntryPicture()));
    ui->Image1->installEventFilter(this);

    // The grid is bound to nothing and only covers the lower part of the picture.
    QPalette gridColours = ui->DBGrid1->palette();
    gridColours.setColor(QPalette::Base, palette().color(QPalette::ToolTipBase));
    ui->DBGrid1->setPalette(gridColours);
    QFont titleFont = ui->DBGrid1->font();
    titleFont.setPointSize(8);
    for (QHeaderView* header : {ui->DBGrid1->horizontalHeader(), ui->DBGrid1->verticalHeader()}) {
        header->setFont(titleFont);
        QPalette headerColours = header->palette();
        headerColours.setColor(QPalette::Button, palette().color(QPalette::Dark));
        header->setPalette(headerColours);
    }
}

TOrderForm::~TOrderForm() = default;

void TOrderForm::Image1Click() {
    showMainWindow_();
}

bool TOrderForm::eventFilter(QObject* watched, QEvent* event) {
    if (watched == ui->Image1 && event->type() == QEvent::MouseButtonRelease) {
        auto* mouse = static_cast<QMouseEvent*>(event);
        if (mouse->button() == Qt::LeftButton &&
            ui->Image1->rect().contains(mouse->position().toPoint())) {
            // An event, not a signal: guarded here.
            platform::runGuarded([this] { Image1Click(); });
            return true;
        }
    }
    return QWidget::eventFilter(watched, event);
}

void TOrderForm::closeEvent(QCloseEvent* event) {
    QWidget::closeEvent(event);
    emit closed();
}
