#pragma once

#include "ReaderHandles.h"
#include "ReaderLibraryCalls.h"

#include <QDialog>
#include <memory>

namespace Ui {
class TForm_FindReader;
}

class QColor;
class TFindReaderThread;

// Modal dialog that runs the reader search and shows its progress and outcome. Each show
// starts a new search with the reader in handles. It ends Accepted through Btn_Ok, with the port
// where the reader answered open in handles.PortHandle, or Rejected through Btn_Cancel, after
// which the caller restores the port from the INI file. It never ends while its search runs.
class TForm_FindReader : public QDialog {
    Q_OBJECT

public:
    // handles (the main window's) must outlive the dialog.
    explicit TForm_FindReader(ReaderHandles& handles, QWidget* parent = nullptr);
    // Stops a running search first.
    ~TForm_FindReader() override;

    // The library the next search uses; the real one by default.
    void setLibrary(ReaderLibraryCalls library);

    // Escape and the close box act as Btn_Cancel while it is enabled, and do nothing otherwise.
    void reject() override;
    // Waits for the search to end first, however the dialog is ended.
    void done(int result) override;

protected:
    void showEvent(QShowEvent* event) override;

private:
    void FormShow();
    void Btn_OkClick();
    void Btn_CancelClick();
    void StopSearch();
    void ShowHeadline(const QString& text, const QColor& colour);
    void ShowSummary(const QString& summary);

    std::unique_ptr<Ui::TForm_FindReader> ui;
    ReaderHandles& Handles;
    ReaderLibraryCalls Library;
    std::unique_ptr<TFindReaderThread> FindReaderThread;
};
