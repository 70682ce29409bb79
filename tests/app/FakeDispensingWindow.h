#pragma once

#include "DispensingCheck.h"

#include <QStringList>
#include <functional>

// Stands in for the main window: a scripted tag list, and a log of everything the check shows.
class FakeDispensingWindow : public DispensingWindow {
public:
    explicit FakeDispensingWindow(db::TADOQuery& query) : query_(query) {}

    // The balance's reading, as text and parsed; what the drug's row says for the checks.
    QString weight;
    bool weightNamesUnit = false;
    balance::BalanceReading reading;
    // Unless frozen, every look at the reading finds a reply to a request sent since the last.
    bool freshReplies = true;
    mutable balance::ReadingStamps stamps;
    DrugChecks drug;
    // Serial numbers of the tag list, row 0 first.
    QStringList tags;
    // "status:<text>", "weight:<text>", "cleared", "completed", in the order they happened.
    QStringList log;
    // Called after each log entry, and before each read of the tag list.
    std::function<void(const QString& entry)> onLog;
    std::function<void()> beforeTagRead;
    // Reads of the tag list that found it empty; calls of orderLines.
    mutable int emptyPolls = 0;
    int lineRequests = 0;

    db::TADOQuery& orderLines() override {
        ++lineRequests;
        return query_;
    }
    int tagCount() const override {
        if (beforeTagRead)
            beforeTagRead();
        if (tags.isEmpty())
            ++emptyPolls;
        return static_cast<int>(tags.size());
    }
    std::optional<QString> firstTagSerial() const override {
        if (tags.isEmpty())
            return std::nullopt;
        return tags.first();
    }
    void showWarning(const QString& text) override { record(QStringLiteral("status:") + text); }
    void showWeight(const QString& text) override { record(QStringLiteral("weight:") + text); }
    QString weightText() const override { return weight; }
    bool weightTextNamesUnit() const override { return weightNamesUnit; }
    balance::BalanceReading weightReading() const override { return reading; }
    balance::ReadingStamp weightStamp() const override {
        if (freshReplies) {
            stamps.requestSent();
            stamps.answered(reading);
        }
        return stamps.stamp();
    }
    DrugChecks drugChecks(const QString&) override { return drug; }
    void clearSeenTags() override { record(QStringLiteral("cleared")); }
    void orderCompleted() override { record(QStringLiteral("completed")); }

private:
    void record(const QString& entry) {
        log << entry;
        if (onLog)
            onLog(entry);
    }

    db::TADOQuery& query_;
};
