#pragma once

#include <QWidget>
#include <functional>
#include <memory>

namespace Ui {
class TOrderForm;
}

// The entry window: a still picture of an order-entry screen; a click on it opens the
// dispensing main window, and closing it ends the application.
class TOrderForm : public QWidget {
    Q_OBJECT

public:
    explicit TOrderForm(std::function<void()> showMainWindow);
    ~TOrderForm() override;

    void Image1Click();

signals:
    void closed();

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;
    void closeEvent(QCloseEvent* event) override;

private:
    std::unique_ptr<Ui::TOrderForm> ui;
    std::function<void()> showMainWindow_;
};
