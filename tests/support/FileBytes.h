#pragma once

#include <QByteArray>
#include <QFile>
#include <QString>
#include <QTest>

// Makes the file hold exactly these bytes; fails the calling test when it cannot.
inline void writeFileBytes(const QString& path, const QByteArray& bytes) {
    QFile file(path);
    QVERIFY(file.open(QIODevice::WriteOnly));
    QCOMPARE(file.write(bytes), bytes.size());
}
