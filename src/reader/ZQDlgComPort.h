#pragma once

#include <QDialog>
#include <memory>

namespace Ui {
class TForm_ComPort;
}

// Dialog with which the reader's serial port is opened, closed and configured.
class TForm_ComPort : public QDialog {
    Q_OBJECT

public:
    explicit TForm_ComPort(QWidget* parent = nullptr);
    ~TForm_ComPort() override;

private:
    std::unique_ptr<Ui::TForm_ComPort> ui;
};
