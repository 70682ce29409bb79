#include "ReportWindow.h"

#include "AppError.h"
#include "DialogKeys.h"
#include "ErrorGuard.h"
#include "HtmlWriter.h"
#include "PdfWriter.h"
#include "ReportReader.h"

#include <QDialogButtonBox>
#include <QFileDialog>
#include <QPushButton>
#include <QSaveFile>
#include <QTextBrowser>
#include <QVBoxLayout>

ReportWindow::ReportWindow(db::TADOConnection& connection, QWidget* parent)
    : QDialog(parent), connection_(connection), page_(new QTextBrowser(this)),
      saveButton_(new QPushButton(QStringLiteral("Save as PDF..."), this)) {
    setObjectName(QStringLiteral("ReportWindow"));
    setWindowTitle(QStringLiteral("Report"));
    page_->setObjectName(QStringLiteral("ReportPage"));
    saveButton_->setObjectName(QStringLiteral("SaveAsPdf"));
    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Close, this);
    buttons->addButton(saveButton_, QDialogButtonBox::ActionRole);
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(page_);
    layout->addWidget(buttons);
    resize(1000, 700);
    platform::keepEnterFromButtons(*this);
    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::close);
    connect(saveButton_, &QPushButton::clicked, this,
            platform::guardedSlot(this, &ReportWindow::saveAsPdf));
}

void ReportWindow::showDay(const QDate& day) {
    day_ = day;
    try {
        report_ = report::readReport(connection_, day, day);
        page_->setHtml(report::htmlOf(*report_));
    } catch (const platform::AppError& error) {
        report_.reset();
        page_->setHtml(QStringLiteral("<p>The report of %1 could not be read: %2</p>")
                           .arg(day.toString(Qt::ISODate), error.text().toHtmlEscaped()));
    }
    saveButton_->setEnabled(report_.has_value());
}

void ReportWindow::saveAsPdf() {
    if (!report_)
        return;
    const QString path = QFileDialog::getSaveFileName(
        this, QStringLiteral("Save as PDF"),
        QStringLiteral("dispensing-report-%1.pdf").arg(day_.toString(Qt::ISODate)),
        QStringLiteral("PDF (*.pdf)"), nullptr, QFileDialog::DontUseNativeDialog);
    if (path.isEmpty())
        return;
    const QByteArray pdf = report::pdfOf(*report_);
    QSaveFile file(path);
    if (!file.open(QIODevice::WriteOnly) || file.write(pdf) != pdf.size() || !file.commit())
        throw platform::AppError(QStringLiteral("%1: %2").arg(path, file.errorString()));
}
