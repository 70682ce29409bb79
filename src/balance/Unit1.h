#pragma once

#include <QWidget>
#include <memory>

namespace Ui {
class TForm1;
}

// Terminal window for the weighing balance: port choice, weight requests on a timer, the reply.
class TForm1 : public QWidget {
    Q_OBJECT

public:
    explicit TForm1(QWidget* parent = nullptr);
    ~TForm1() override;

private:
    std::unique_ptr<Ui::TForm1> ui;
};
