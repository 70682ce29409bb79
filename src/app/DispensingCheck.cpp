#include "DispensingCheck.h"

#include "AppError.h"
#include "AuditWriter.h"
#include "DispensingJournal.h"
#include "DispensingTurn.h"
#include "ErrorText.h"
#include "FieldIndex.h"
#include "MessageBoxes.h"
#include "PrescriptionFields.h"
#include "TADOQuery.h"

#include <QDateTime>
#include <QElapsedTimer>
#include <QEventLoop>
#include <QTimer>
#include <algorithm>
#include <chrono>
#include <exception>
#include <utility>

namespace {

// The pause before a line is stored: the windows go on painting "配藥中" and the weight, and
// hand-offs are served, but no input reaches a control that could change the order meanwhile.
void pauseServingEvents(int ms) {
    QEventLoop loop;
    QTimer::singleShot(std::max(ms, 0), &loop, &QEventLoop::quit);
    loop.exec(QEventLoop::ExcludeUserInputEvents);
}

// The station's own balance line gives a bare number in grams; another dialect's text names the
// unit (or the word) its display shows, which a second unit would contradict.
QString shownWeight(const QString& weightText, bool namesUnit) {
    return namesUnit ? weightText : weightText + QStringLiteral("克");
}

// What the journal says of a reading that is not a settled weight in grams.
QString readingText(const balance::BalanceReading& reading) {
    switch (reading.state) {
    case balance::ReadingState::Overload:
        return QStringLiteral("超載");
    case balance::ReadingState::Underload:
        return QStringLiteral("欠載");
    case balance::ReadingState::NotAReading:
        return QStringLiteral("無讀數");
    default:
        break;
    }
    const QString value = reading.grams()
                              ? WeightWindow::gramsText(*reading.grams())
                              : QString::number(double(reading.tenThousandths) / 10000.0) + u' ' +
                                    QString::fromStdString(reading.unit);
    return reading.state == balance::ReadingState::Unstable ? QStringLiteral("不穩定 ") + value
                                                            : value;
}

} // namespace

class DispensingCheck::RunMark {
public:
    explicit RunMark(DispensingCheck& check) : check_(check) {
        const std::lock_guard lock(check_.mutex_);
        check_.running_ = true;
    }
    ~RunMark() {
        const std::lock_guard lock(check_.mutex_);
        check_.running_ = false;
        check_.idle_.notify_all();
    }
    RunMark(const RunMark&) = delete;
    RunMark& operator=(const RunMark&) = delete;

private:
    DispensingCheck& check_;
};

DispensingCheck::DispensingCheck(DispensingWindow& window) : window_(window) {}

QString DispensingCheck::expectedWeightText(const WeightWindow& window) {
    return tr("Weigh %1 g (%2 - %3 g)")
        .arg(WeightWindow::gramsText(window.expectedGrams),
             WeightWindow::gramsText(window.lowGrams), WeightWindow::gramsText(window.highGrams));
}

bool DispensingCheck::CheckDispensing(const std::function<bool()>& stopRequested) {
    {
        const std::lock_guard lock(mutex_);
        if (running_)
            return false;
    }
    const RunMark mark(*this);
    db::TADOQuery& lines = window_.orderLines();
    lines.First();
    if (lines.RecordCount() <= 0)
        return true;
    // One budget for the whole run: a tag showing up does not restore it.
    int idleBudget = idleBudget_;
    while (waitForTag(idleBudget, stopRequested) == Wait::TagListed) {
        const int turns = window_.tagCount();
        for (int i = 0; i < turns; ++i) {
            const std::optional<QString> tagSerial = window_.firstTagSerial();
            if (!tagSerial || stopRequested())
                return true;
            if (turn(*tagSerial, stopRequested))
                return true;
        }
    }
    return true;
}

DispensingCheck::Wait DispensingCheck::waitForTag(int& idleBudget,
                                                  const std::function<bool()>& stopRequested) {
    for (;;) {
        if (!waitForTagListChange() || stopRequested())
            return Wait::Over;
        if (window_.tagCount() > 0)
            return Wait::TagListed;
        lastWarnedTag_.clear();
        lastExpiredTag_.clear();
        lastWeighedTag_.clear();
        if (--idleBudget <= 0)
            return Wait::Over;
    }
}

// A nested loop ends at once, serving nothing, once the application has been told to quit; its
// result then is not 0, so a run cannot hold the application open.
bool DispensingCheck::waitForTagListChange() {
    QEventLoop loop;
    QTimer::singleShot(std::max(tagWaitMs_, 0), &loop, &QEventLoop::quit);
    tagWait_ = &loop;
    return loop.exec() == 0;
}

void DispensingCheck::tagListChanged() {
    if (tagWait_)
        tagWait_->quit();
}

bool DispensingCheck::turn(const QString& tagSerial, const std::function<bool()>& stopRequested) {
    db::TADOQuery& lines = window_.orderLines();
    switch (decideTurn(tagSerial, lines.FieldByName(db::field::SerialNumber).Value(),
                       lines.FieldByName(db::field::DispensingState).Value())) {
    case TurnOutcome::WrongDrug: {
        AuditEntry entry = lineEntry(journal_event::wrongContainer(), lines);
        entry.serial = tagSerial;
        warn(wrongDrugText(), lastWarnedTag_, true, entry, {tagSerial});
        lines.Next();
        break;
    }
    case TurnOutcome::DispenseLine: {
        const DrugChecks drug =
            window_.drugChecks(lines.FieldByName(db::field::DrugName).AsString());
        if (drug.expiry && *drug.expiry < QDate::currentDate()) {
            AuditEntry entry = lineEntry(journal_event::expiredContainer(), lines);
            entry.serial = tagSerial;
            entry.details = drug.expiry->toString(Qt::ISODate);
            warn(expiredText(), lastExpiredTag_, true, entry, {tagSerial, entry.details});
            lines.Next();
        } else if (settings_.weightCheck && drug.unitGrams) {
            dispenseByWeight(lines, tagSerial, drug, stopRequested);
        } else {
            dispense(lines, tagSerial);
        }
        break;
    }
    case TurnOutcome::LineDone:
        window_.clearSeenTags();
        lines.Next();
        break;
    }
    if (lines.Eof())
        lines.First();
    if (!everyLineDone(lines))
        return false;
    record(lineEntry(journal_event::orderCompleted(), lines), {});
    window_.orderCompleted();
    return true;
}

void DispensingCheck::dispense(db::TADOQuery& lines, const QString& tagSerial) {
    window_.showWarning(QString());
    lines.Edit();
    AuditEntry stored = lineEntry(journal_event::lineStored(), lines);
    stored.serial = tagSerial;
    // An edit left open would be stored by the next move of the query.
    try {
        db::TField state = lines.FieldByName(db::field::DispensingState);
        state.SetValue(dispensingText());
        stored.weightShown = shownWeight(window_.weightText(), window_.weightTextNamesUnit());
        window_.showWeight(stored.weightShown);
        pauseServingEvents(pauseMs_);
        state.SetValue(db::state::Dispensed);
        lines.Post({auditRow(stored, identity_, QDateTime::currentDateTime())});
    } catch (...) {
        lines.Cancel();
        recordFailedStore(stored);
        throw;
    }
    journal(stored, {stored.weightShown});
}

// The day, the order and the line, as the lines' statement names them; blank when missing.
AuditEntry DispensingCheck::lineEntry(const QString& event, db::TADOQuery& lines) {
    const auto text = [&lines](const QString& name) {
        const int column = findField(lines, name);
        return column < 0 ? QString() : lines.valueAt(lines.CurrentRow(), column).toString();
    };
    AuditEntry entry;
    entry.event = event;
    entry.day = text(db::field::of(db::table::Orders, db::field::OrderDay));
    entry.sequence = text(db::field::Sequence);
    entry.item = text(db::field::Item);
    entry.drug = text(db::field::DrugName);
    return entry;
}

void DispensingCheck::journal(const AuditEntry& entry, const QStringList& details) {
    if (journal_ != nullptr)
        journal_->record(entry.event,
                         QStringList{entry.day, entry.sequence, entry.item, entry.drug} + details);
}

void DispensingCheck::record(const AuditEntry& entry, const QStringList& details) {
    journal(entry, details);
    if (auditWriter_ != nullptr)
        auditWriter_->post(auditRow(entry, identity_, QDateTime::currentDateTime()));
}

// Called while the store's error is handled.
void DispensingCheck::recordFailedStore(AuditEntry entry) {
    entry.event = journal_event::storeFailed();
    entry.details = platform::errorText(std::current_exception());
    record(entry, {entry.details});
}

void DispensingCheck::warn(const QString& text, QString& warnedTag, bool beepAgain,
                           const AuditEntry& entry, const QStringList& details) {
    window_.showWarning(text);
    const bool first = entry.serial != warnedTag;
    if (first || beepAgain)
        platform::beep();
    // The warning repeats while the container lies there; it is recorded once.
    if (first) {
        warnedTag = entry.serial;
        record(entry, details);
    }
}

void DispensingCheck::dispenseByWeight(db::TADOQuery& lines, const QString& tagSerial,
                                       const DrugChecks& drug,
                                       const std::function<bool()>& stopRequested) {
    bool counted = false;
    const double quantity = lines.FieldByName(db::field::Quantity).Value().toDouble(&counted);
    if (!counted || quantity <= 0)
        throw platform::AppError(tr("數量 of line %1 is not a count to weigh")
                                     .arg(lines.FieldByName(db::field::Item).AsString()));
    const WeightWindow window = WeightWindow::of(
        quantity, *drug.unitGrams, drug.tolerancePercent.value_or(settings_.tolerancePercent));
    // A warning given for this container stays up while it is weighed again.
    if (lastWeighedTag_ != tagSerial)
        window_.showWarning(expectedWeightText(window));
    const std::uint64_t requestsBefore = window_.weightStamp().requestsSent;
    lines.Edit();
    db::TField state = lines.FieldByName(db::field::DispensingState);
    AuditEntry stored = lineEntry(journal_event::lineStored(), lines);
    stored.serial = tagSerial;
    stored.expectedGrams = window.expectedGrams;
    std::optional<Weighed> weighed;
    try {
        state.SetValue(dispensingText());
        weighed = awaitWeight(window, requestsBefore, stored, stopRequested);
        if (!weighed) {
            lines.Cancel();
            return;
        }
        state.SetValue(db::state::Dispensed);
        stored.details = readingText(weighed->reading);
        lines.Post({auditRow(stored, identity_, QDateTime::currentDateTime())});
    } catch (...) {
        lines.Cancel();
        recordFailedStore(stored);
        throw;
    }
    lastStoreDisplay_ = weighed->displayChanges;
    lastWeighedTag_.clear();
    window_.showWarning(QString());
    journal(stored,
            {stored.weightShown, WeightWindow::gramsText(window.expectedGrams), stored.details});
}

std::optional<DispensingCheck::Weighed>
DispensingCheck::awaitWeight(const WeightWindow& window, std::uint64_t requestsBefore,
                             AuditEntry& stored, const std::function<bool()>& stopRequested) {
    QElapsedTimer waited;
    waited.start();
    bool panWarned = false;
    for (;;) {
        stored.weightShown = shownWeight(window_.weightText(), window_.weightTextNamesUnit());
        window_.showWeight(stored.weightShown);
        const balance::BalanceReading reading = window_.weightReading();
        const balance::ReadingStamp stamp = window_.weightStamp();
        switch (weighingLook(reading, stamp, window, requestsBefore, lastStoreDisplay_)) {
        case WeighingLook::Weighs:
            return Weighed{reading, stamp.displayChanges};
        case WeighingLook::LoadOfLastLine:
            if (!std::exchange(panWarned, true))
                window_.showWarning(clearThePanText());
            break;
        case WeighingLook::NotYet:
            break;
        }
        // The container taken away or the run stopped: the line waits for its next turn.
        if (stopRequested() || window_.firstTagSerial() != stored.serial)
            return std::nullopt;
        if (waited.elapsed() >= settings_.weightWaitSeconds * 1000) {
            AuditEntry mismatch = stored;
            mismatch.event = journal_event::weightMismatch();
            mismatch.details = readingText(reading);
            warn(wrongWeightText(), lastWeighedTag_, false, mismatch,
                 {WeightWindow::gramsText(window.expectedGrams), mismatch.details});
            return std::nullopt;
        }
        pauseServingEvents(weightPollMs);
    }
}

bool DispensingCheck::everyLineDone(db::TADOQuery& lines) {
    const int column = findField(lines, db::field::DispensingState);
    QVariantList states;
    for (int row = 0; row < lines.RecordCount(); ++row)
        states << lines.valueAt(row, column);
    return orderComplete(states);
}

void DispensingCheck::waitUntilIdle(unsigned long timeoutMs) {
    std::unique_lock lock(mutex_);
    idle_.wait_for(lock, std::chrono::milliseconds(timeoutMs), [this] { return !running_; });
}
