#pragma once

#include "DispensingReport.h"

#include <QCoreApplication>
#include <QDate>
#include <QDialog>
#include <optional>

class QPushButton;
class QTextBrowser;

namespace db {
class TADOConnection;
}

// A day's dispensing report, the page dispensing-report writes as HTML, with "Save as PDF...".
// It reads through the station's own connection, so each statement is bounded as the station's
// are.
class ReportWindow : public QDialog {
    Q_DECLARE_TR_FUNCTIONS(ReportWindow)

public:
    explicit ReportWindow(db::TADOConnection& connection, QWidget* parent = nullptr);

    // Reads and shows the report of the day; a failure to read is shown in the page.
    void showDay(const QDate& day);

private:
    void saveAsPdf();

    db::TADOConnection& connection_;
    QTextBrowser* page_;
    QPushButton* saveButton_;
    QDate day_;
    std::optional<report::DispensingReport> report_;
};
