#include "ZQDlgFindReader.h"

#include "DialogKeys.h"
#include "ErrorGuard.h"
#include "FindReaderThread.h"
#include "ui_ZQDlgFindReader.h"

#include <QColor>
#include <QFontMetrics>
#include <QShowEvent>
#include <utility>

// No close box: the search must be ended through Cancel, which stops its thread first.
TForm_FindReader::TForm_FindReader(ReaderHandles& handles, QWidget* parent)
    : QDialog(parent, Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint),
      ui(std::make_unique<Ui::TForm_FindReader>()), Handles(handles) {
    ui->setupUi(this);
    // Designer forms carry point sizes only; the headline is sized in pixels.
    QFont headline = ui->Txt_Reader->font();
    headline.setBold(true);
    headline.setPixelSize(16);
    ui->Txt_Reader->setFont(headline);
    setFixedSize(size());
    platform::keepEnterFromButtons(*this);
    connect(ui->Btn_Ok, &QPushButton::clicked, this,
            platform::guardedSlot(this, &TForm_FindReader::Btn_OkClick));
    connect(ui->Btn_Cancel, &QPushButton::clicked, this,
            platform::guardedSlot(this, &TForm_FindReader::Btn_CancelClick));
}

// The search's steps use the controls, so it ends before they go.
TForm_FindReader::~TForm_FindReader() {
    StopSearch();
}

void TForm_FindReader::setLibrary(ReaderLibraryCalls library) {
    Library = std::move(library);
}

// Escape and the close box come as events, not signals: guarded here.
void TForm_FindReader::reject() {
    if (ui->Btn_Cancel->isEnabled())
        platform::runGuarded([this] { Btn_CancelClick(); });
}

void TForm_FindReader::showEvent(QShowEvent* event) {
    // A window system's show (e.g. after minimising) is no new show of the dialog. An event, not
    // a signal: guarded here.
    if (!event->spontaneous())
        platform::runGuarded([this] { FormShow(); });
    QDialog::showEvent(event);
}

void TForm_FindReader::FormShow() {
    StopSearch();
    ui->Btn_Ok->setEnabled(false);
    ui->Btn_Cancel->setEnabled(true);
    ShowHeadline(QString(), Qt::black);
    FindReaderView view;
    view.Searching = [this](const QString& summary) {
        ShowHeadline(QStringLiteral("Search Reader"), Qt::black);
        ShowSummary(summary);
    };
    view.Found = [this](const QString& summary) {
        ShowHeadline(QStringLiteral("Found Reader"), QColor(0, 128, 0));
        ShowSummary(summary);
        ui->Btn_Ok->setEnabled(true);
        ui->Btn_Cancel->setEnabled(false);
    };
    view.NotFound = [this] {
        ShowHeadline(QStringLiteral("No Reader found"), QColor(255, 0, 0));
        ShowSummary(QStringLiteral("Set Default-Values\r\nfrom IniFile"));
    };
    FindReaderThread = std::make_unique<TFindReaderThread>(Library, std::move(view), Handles);
    FindReaderThread->start(QThread::NormalPriority);
}

void TForm_FindReader::done(int result) {
    StopSearch();
    QDialog::done(result);
}

void TForm_FindReader::Btn_OkClick() {
    done(QDialog::Accepted);
}

void TForm_FindReader::Btn_CancelClick() {
    done(QDialog::Rejected);
}

// Serves the search's hand-offs while it waits, as they need the UI thread.
void TForm_FindReader::StopSearch() {
    if (!FindReaderThread)
        return;
    FindReaderThread->Terminate();
    FindReaderThread->WaitFor();
    FindReaderThread.reset();
}

void TForm_FindReader::ShowHeadline(const QString& text, const QColor& colour) {
    QPalette palette = ui->Txt_Reader->palette();
    palette.setColor(QPalette::WindowText, colour);
    ui->Txt_Reader->setPalette(palette);
    ui->Txt_Reader->setText(text);
}

// A PC/SC reader's name can be wider than the dialog: its middle gives way, so that the maker
// and the slot number stay readable, and the whole text is the tooltip.
void TForm_FindReader::ShowSummary(const QString& summary) {
    const QFontMetrics metrics(ui->Txt_Out->font());
    QStringList lines = summary.split(QStringLiteral("\r\n"));
    for (QString& line : lines)
        line = metrics.elidedText(line, Qt::ElideMiddle, ui->Txt_Out->width());
    const QString shown = lines.join(QStringLiteral("\r\n"));
    ui->Txt_Out->setText(shown);
    ui->Txt_Out->setToolTip(shown == summary ? QString() : summary);
}
