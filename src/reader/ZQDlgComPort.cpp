#include "ZQDlgComPort.h"

#include "ui_ZQDlgComPort.h"

TForm_ComPort::TForm_ComPort(QWidget* parent)
    : QDialog(parent, Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint |
                          Qt::WindowCloseButtonHint),
      ui(std::make_unique<Ui::TForm_ComPort>()) {
    ui->setupUi(this);
    setFixedSize(size());
}

TForm_ComPort::~TForm_ComPort() = default;
