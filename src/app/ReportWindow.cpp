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
      saveButton_(new QPushButton(tr("Save as PDF..."), this)) {
    setObjectName(QStringLiteral("ReportWindow"));
    setWindowTitle(tr("Report"));
    page_->setObjectName(QStringLiteral("ReportPage"));
    saveButton_->setObjectName(QStringLiteral("SaveAsPdf"));
    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Close, this);
    // Qt's own translations are not loaded, as they would rename every message box's OK.
    buttons->button(QDialogButtonBox::Close)->setText(tr("Close"));
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
        page_->setHtml(QStringLiteral("<p>%1</p>")
                           .arg(tr("The report of %1 could not be read: %2")
                                    .arg(day.toString(Qt::ISODate), error.text())
                                    .toHtmlEscaped()));
    }
    saveButton_->setEnabled(report_.has_value());
}

void ReportWindow::saveAsPdf() {
    if (!report_)
        return;
    const QString path = QFileDialog::getSaveFileName(
        this, tr("Save as PDF"), tr("dispensing-report-%1.pdf").arg(day_.toString(Qt::ISODate)),
        tr("PDF (*.pdf)"), nullptr, QFileDialog::DontUseNativeDialog);
    if (path.isEmpty())
        return;
    const QByteArray pdf = report::pdfOf(*report_);
    QSaveFile file(path);
    if (!file.open(QIODevice::WriteOnly) || file.write(pdf) != pdf.size() || !file.commit())
        throw platform::AppError(QStringLiteral("%1: %2").arg(path, file.errorString()));
}
