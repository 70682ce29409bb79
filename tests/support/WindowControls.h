#pragma once

// For the window tests, which link Qt Widgets themselves.
#include <QComboBox>
#include <QGroupBox>
#include <QPlainTextEdit>
#include <QSpinBox>
#include <QString>
#include <QTest>
#include <QWidget>

// The text a user reads on a control, wherever its kind keeps it.
inline QString captionOf(const QWidget& control) {
    if (const auto* box = qobject_cast<const QGroupBox*>(&control))
        return box->title();
    if (const auto* memo = qobject_cast<const QPlainTextEdit*>(&control))
        return memo->toPlainText();
    if (const auto* combo = qobject_cast<const QComboBox*>(&control))
        return combo->currentText();
    if (const auto* spin = qobject_cast<const QSpinBox*>(&control))
        return QString::number(spin->value());
    return control.property("text").toString();
}

// The columns of a table of controls that namedControl checks: "name", "kind" (the class name)
// and "caption"; a test adds its own after them.
inline void addControlColumns() {
    QTest::addColumn<QString>("name");
    QTest::addColumn<QString>("kind");
    QTest::addColumn<QString>("caption");
}

// The control of window named in the current row, once checked to be there with the row's kind
// and caption; null when a check failed, which the test has then recorded.
inline QWidget* namedControl(const QWidget& window) {
    QWidget* checked = nullptr;
    // Qt Test's checks return from the function they are in.
    [&] {
        QFETCH(QString, name);
        QFETCH(QString, kind);
        QFETCH(QString, caption);
        auto* control = window.findChild<QWidget*>(name);
        QVERIFY2(control, qPrintable(name));
        QCOMPARE(QString(control->metaObject()->className()), kind);
        QCOMPARE(captionOf(*control), caption);
        checked = control;
    }();
    return checked;
}
