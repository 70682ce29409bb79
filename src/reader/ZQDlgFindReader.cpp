#include "ZQDlgFindReader.h"

#include "ui_ZQDlgFindReader.h"

// No close box: the search must be ended through Cancel, which stops its thread first.
TForm_FindReader::TForm_FindReader(QWidget* parent)
    : QDialog(parent, Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint),
      ui(std::make_unique<Ui::TForm_FindReader>()) {
    ui->setupUi(this);
    // Designer forms carry point sizes only; the headline is sized in pixels.
    QFont headline = ui->Txt_Reader->font();
    headline.setBold(true);
    headline.setPixelSize(16);
    ui->Txt_Reader->setFont(headline);
    setFixedSize(size());
}

TForm_FindReader::~TForm_FindReader() = default;
