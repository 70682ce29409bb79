#pragma once

#include <QMainWindow>
#include <memory>

class QMenu;
class QLabel;
class THexEdit;

namespace Ui {
class TForm_Main;
}

// The dispensing main window: the day's orders, the chosen order's patient and lines, the
// dispensing progress, and below the visible area the tag tools and the balance buffer.
class TForm_Main : public QMainWindow {
    Q_OBJECT

public:
    TForm_Main();
    ~TForm_Main() override;

    void FormCreate();
    void FormShow();
    void MItem_ExitClick();

    // Panel 0 of StatusBar1, where the dispensing warnings appear.
    QLabel* statusPanel() const { return statusPanel_; }
    const THexEdit* tagDataView() const { return TagDataView.get(); }

protected:
    void showEvent(QShowEvent* event) override;
    void closeEvent(QCloseEvent* event) override;

private:
    // Returns false when the close is to be issued again later instead.
    bool FormClose();
    bool releaseReader();
    // Sizes the window with its frame; the first time also centres it on the screen.
    void resizeOuter(int width, int height);

    std::unique_ptr<Ui::TForm_Main> ui;
    QLabel* statusPanel_ = nullptr;
    QMenu* PopupMenu1 = nullptr;
    std::unique_ptr<THexEdit> TagDataView;
    int reissuedCloses_ = 0;
    bool placed_ = false;
};
