#include "MainWindowIcon.h"
#include "OrderEntryPicture.h"

#include <QSet>
#include <QTest>

namespace {

QSet<QRgb> coloursIn(const QImage& image, const QRect& area) {
    QSet<QRgb> colours;
    for (int y = area.top(); y <= area.bottom(); ++y)
        for (int x = area.left(); x <= area.right(); ++x)
            colours.insert(image.pixel(x, y));
    return colours;
}

} // namespace

class TestWindowImages : public QObject {
    Q_OBJECT

private slots:
    void pictureIsA24BitScreenOfTheGivenSize() {
        const QImage picture = orderEntryPicture();
        QCOMPARE(picture.size(), QSize(987, 654));
        QCOMPARE(picture.format(), QImage::Format_RGB888);
        QCOMPARE(picture.depth(), 24);
    }

    // Only the rows above the entry window's grid are seen, so the screen must be drawn there.
    void visibleRowsArePainted() {
        const QImage picture = orderEntryPicture();
        QVERIFY(coloursIn(picture, QRect(0, 0, 987, 310)).size() > 8);
    }

    // Every pixel is painted: no trace of uninitialised memory differs between two calls.
    void pictureIsTheSameEveryTime() { QCOMPARE(orderEntryPicture(), orderEntryPicture()); }

    void iconIs32PixelsInAtMostSixteenColours() {
        const QIcon icon = mainWindowIcon();
        QVERIFY(icon.availableSizes().contains(QSize(32, 32)));
        const QImage image = icon.pixmap(QSize(32, 32)).toImage();
        QCOMPARE(image.size(), QSize(32, 32));
        const int colours = coloursIn(image, image.rect()).size();
        QVERIFY2(colours > 2 && colours <= 16, qPrintable(QString::number(colours)));
    }
};

QTEST_MAIN(TestWindowImages)
#include "test_windowimages.moc"
