#pragma once

#include <QDialog>
#include <memory>

namespace Ui {
class TForm_FindReader;
}

// Modal dialog that shows the progress and the outcome of the reader search.
class TForm_FindReader : public QDialog {
    Q_OBJECT

public:
    explicit TForm_FindReader(QWidget* parent = nullptr);
    ~TForm_FindReader() override;

private:
    std::unique_ptr<Ui::TForm_FindReader> ui;
};
