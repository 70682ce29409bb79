#include "OrderEntryPicture.h"

#include <QLinearGradient>
#include <QPainter>

namespace {

const QColor buttonFace(212, 208, 200);
const QColor shadow(128, 128, 128);
const QColor darkShadow(64, 64, 64);

void drawBevel(QPainter& p, const QRect& r, bool sunken) {
    p.setPen(sunken ? shadow : Qt::white);
    p.drawLine(r.topLeft(), r.topRight());
    p.drawLine(r.topLeft(), r.bottomLeft());
    p.setPen(sunken ? Qt::white : darkShadow);
    p.drawLine(r.bottomLeft(), r.bottomRight());
    p.drawLine(r.topRight(), r.bottomRight());
}

void drawEditBox(QPainter& p, const QRect& r, const QString& text) {
    p.fillRect(r, Qt::white);
    drawBevel(p, r, true);
    p.setPen(Qt::black);
    p.drawText(r.adjusted(4, 0, -2, 0), Qt::AlignLeft | Qt::AlignVCenter, text);
}

void drawButton(QPainter& p, const QRect& r, const QString& text) {
    p.fillRect(r, buttonFace);
    drawBevel(p, r, false);
    p.setPen(Qt::black);
    p.drawText(r, Qt::AlignCenter, text);
}

void drawLabelledBox(QPainter& p, int x, int y, const QString& label, int boxWidth,
                     const QString& value) {
    p.setPen(Qt::black);
    p.drawText(QRect(x, y, 56, 22), Qt::AlignRight | Qt::AlignVCenter, label);
    drawEditBox(p, QRect(x + 60, y, boxWidth, 22), value);
}

void drawTextPane(QPainter& p, const QRect& r, const QString& title, const QStringList& lines) {
    p.setPen(Qt::black);
    p.drawText(r.x(), r.y() + 14, title);
    const QRect box = r.adjusted(0, 20, 0, 0);
    drawEditBox(p, box, QString());
    for (int i = 0; i < lines.size(); ++i)
        p.drawText(box.x() + 6, box.y() + 20 + 20 * i, lines[i]);
}

void drawPrescriptionGrid(QPainter& p, const QRect& r) {
    struct Column {
        const char* title;
        int width;
    };
    const Column columns[] = {{"序", 40},   {"藥品代碼", 110}, {"藥品名稱", 330},
                              {"劑量", 70}, {"單位", 60},      {"頻率", 90},
                              {"途徑", 70}, {"天數", 70},      {"總量", 147}};
    const int rowHeight = 24;
    p.fillRect(r, Qt::white);
    int x = r.x();
    for (const Column& column : columns) {
        drawButton(p, QRect(x, r.y(), column.width, rowHeight), QString::fromUtf8(column.title));
        x += column.width;
    }
    p.setPen(QColor(192, 192, 192));
    for (int y = r.y() + 2 * rowHeight; y < r.bottom(); y += rowHeight)
        p.drawLine(r.x(), y, r.right(), y);
    x = r.x();
    for (const Column& column : columns) {
        x += column.width;
        p.drawLine(x - 1, r.y() + rowHeight, x - 1, r.bottom());
    }
}

} // namespace

QImage orderEntryPicture() {
    QImage image(987, 654, QImage::Format_RGB888);
    image.fill(buttonFace);
    QPainter p(&image);
    QFont font(QStringLiteral("Noto Sans CJK TC"));
    font.setPixelSize(13);
    p.setFont(font);

    QLinearGradient caption(0, 0, 987, 0);
    caption.setColorAt(0, QColor(10, 36, 106));
    caption.setColorAt(1, QColor(166, 202, 240));
    p.fillRect(0, 0, 987, 22, caption);
    p.setPen(Qt::white);
    p.drawText(QRect(8, 0, 600, 22), Qt::AlignVCenter, "門診醫令系統 - 醫師處方輸入");
    p.setPen(Qt::black);
    p.drawText(QRect(8, 22, 600, 20), Qt::AlignVCenter,
               "檔案(F)    編輯(E)    查詢(Q)    醫令(O)    列印(P)    說明(H)");

    const QStringList tabs = {"病患資料", "過去病史", "檢驗報告"};
    for (int i = 0; i < tabs.size(); ++i)
        drawButton(p, QRect(8 + 86 * i, i == 0 ? 46 : 49, 86, i == 0 ? 24 : 21), tabs[i]);
    drawBevel(p, QRect(8, 70, 971, 62), false);
    drawLabelledBox(p, 10, 78, "病歷號", 100, "0012345");
    drawLabelledBox(p, 180, 78, "姓名", 110, "王大明");
    drawLabelledBox(p, 360, 78, "性別", 40, "男");
    drawLabelledBox(p, 470, 78, "出生日期", 100, "1950/03/12");
    drawLabelledBox(p, 640, 78, "身分", 70, "健保");
    drawLabelledBox(p, 780, 78, "科別", 110, "家醫科");
    drawLabelledBox(p, 10, 104, "就診日", 100, "2024/05/20");
    drawLabelledBox(p, 180, 104, "醫師", 110, "陳醫師");
    drawLabelledBox(p, 360, 104, "過敏", 470, "無");

    drawTextPane(p, QRect(8, 138, 480, 128), "主訴",
                 {"咳嗽、喉嚨痛三天", "夜間發燒，最高 38.2 度", "無呼吸困難"});
    drawTextPane(p, QRect(496, 138, 483, 128), "診斷", {"465.9  急性上呼吸道感染", "786.2  咳嗽"});

    const QStringList buttons = {"新增藥品", "刪除", "查詢藥品", "重複處方",
                                 "存檔",     "列印", "離開"};
    for (int i = 0; i < buttons.size(); ++i)
        drawButton(p, QRect(8 + 100 * i, 276, 92, 28), buttons[i]);

    drawPrescriptionGrid(p, QRect(0, 310, 987, 344));
    return image;
}
