#pragma once

#include "AuditEntry.h"
#include "BalanceReading.h"
#include "DispensingSettings.h"
#include "DrugChecks.h"
#include "ReadingStamp.h"
#include "StationIdentity.h"
#include "WeightCheck.h"

#include <QCoreApplication>
#include <QPointer>
#include <QString>
#include <condition_variable>
#include <functional>
#include <mutex>
#include <optional>

class QEventLoop;
class DispensingJournal;
class AuditWriter;

namespace db {
class TADOQuery;
}

// The part of the main window that the dispensing check reads and changes.
class DispensingWindow {
public:
    virtual ~DispensingWindow() = default;

    // The prescription query, open on the lines of the order being dispensed.
    virtual db::TADOQuery& orderLines() = 0;
    // Rows of the tag list, and the serial number of its first row (none when it is empty).
    virtual int tagCount() const = 0;
    virtual std::optional<QString> firstTagSerial() const = 0;
    virtual void showWarning(const QString& text) = 0;
    virtual void showWeight(const QString& text) = 0;
    // The balance's latest reading, as the balance subsystem keeps it, and the same parsed.
    virtual QString weightText() const = 0;
    // Whether that text names its unit (another dialect than the station's own); else grams.
    virtual bool weightTextNamesUnit() const { return false; }
    virtual balance::BalanceReading weightReading() const = 0;
    // Which request that reading answers, and how often the balance's display has changed.
    virtual balance::ReadingStamp weightStamp() const = 0;
    // What the drug's row says for the checks beyond the right container; a database failure
    // raises platform::AppError.
    virtual DrugChecks drugChecks(const QString& drugName) = 0;
    // Forgets the serial numbers the inventory has seen.
    virtual void clearSeenTags() = 0;
    // Every line of the order is dispensed.
    virtual void orderCompleted() = 0;
};

// Compares the tag in the reader's field with the drug of the current order line, again and
// again, warning of a wrong drug and storing each line whose drug is presented. Runs on the UI
// thread only, one run at a time.
class DispensingCheck {
    Q_DECLARE_TR_FUNCTIONS(DispensingCheck)

public:
    static constexpr int defaultPauseMs = 3000;
    static constexpr int defaultIdleBudget = 1000000;
    static constexpr int defaultTagWaitMs = 10;

    static QString wrongDrugText() { return QStringLiteral("警告!! 拿錯藥品!!"); }
    // Beyond the wrong container: in the desk's language.
    static QString wrongWeightText() { return tr("Warning!! Wrong weight!!"); }
    static QString expiredText() { return tr("Warning!! Expired drug!!"); }
    static QString clearThePanText() {
        return tr("Clear the pan first: the last line's weight is still on it");
    }
    static QString expectedWeightText(const WeightWindow& window);
    // How often a line waiting for its weight looks at the balance.
    static constexpr int weightPollMs = 200;
    static QString dispensingText() { return QStringLiteral("配藥中"); }

    explicit DispensingCheck(DispensingWindow& window);
    DispensingCheck(const DispensingCheck&) = delete;
    DispensingCheck& operator=(const DispensingCheck&) = delete;

    // How long a presented line shows "配藥中" before it is stored.
    void setPauseMs(int ms) { pauseMs_ = ms; }
    // How many polls of an empty tag list one run makes before it ends.
    void setIdleBudget(int polls) { idleBudget_ = polls; }
    // How long a poll waits for the tag list to change.
    void setTagWaitMs(int ms) { tagWaitMs_ = ms; }
    // The count by weight and its tolerance and wait.
    void setSettings(const DispensingSettings& settings) { settings_ = settings; }
    // Where warnings, stores and completed orders are recorded; none when null.
    void setJournal(DispensingJournal* journal) { journal_ = journal; }
    // Who the audit rows name. A stored line's row goes into its store; the rows of the other
    // events go to `writer`, none when it is null.
    void setAudit(const StationIdentity& identity, AuditWriter* writer) {
        identity_ = identity;
        auditWriter_ = writer;
    }

    // One run: from the first line, turn after turn while tags are listed, until the idle budget
    // is used up, stopRequested answers true, the order is complete or the application quits.
    // Before each poll of the tag list it serves the UI thread's events until the tag list
    // changes or the tag wait has passed, so the tag list and the weight can change without the
    // run keeping the thread busy. Returns false, having done nothing, when another run is under
    // way. A database error ends the run and is raised.
    bool CheckDispensing(const std::function<bool()>& stopRequested);

    // The window's tag list has changed: a poll waiting for it looks at once.
    void tagListChanged();

    // For checking threads: waits until no run is under way, or at most timeoutMs.
    void waitUntilIdle(unsigned long timeoutMs);

private:
    class RunMark;
    enum class Wait { TagListed, Over };

    Wait waitForTag(int& idleBudget, const std::function<bool()>& stopRequested);
    // False once the application has been told to quit.
    bool waitForTagListChange();
    // Returns true when the order is complete after the turn.
    bool turn(const QString& tagSerial, const std::function<bool()>& stopRequested);
    void dispense(db::TADOQuery& lines, const QString& tagSerial);
    // A right container whose drug is weighed: stored once the balance settles within the
    // line's window, on a reading asked for after the container came and not on the load that
    // stored the weighed line before; warned of when the wait ends without it.
    void dispenseByWeight(db::TADOQuery& lines, const QString& tagSerial, const DrugChecks& drug,
                          const std::function<bool()>& stopRequested);
    struct Weighed {
        balance::BalanceReading reading;
        std::uint64_t displayChanges = 0;
    };
    // Looks at the balance until a reading weighs the line of the container stored.serial,
    // noting the weight shown in `stored`; none when the container went, the run stopped or the
    // wait ended (then warned of).
    std::optional<Weighed> awaitWeight(const WeightWindow& window, std::uint64_t requestsBefore,
                                       AuditEntry& stored,
                                       const std::function<bool()>& stopRequested);
    // Shows a warning for the container entry.serial and beeps (only the first time unless
    // beepAgain); the event is recorded the first time the container is warned of.
    void warn(const QString& text, QString& warnedTag, bool beepAgain, const AuditEntry& entry,
              const QStringList& details);
    bool everyLineDone(db::TADOQuery& lines);
    // The entry of the event on the current line.
    static AuditEntry lineEntry(const QString& event, db::TADOQuery& lines);
    // The journal's line and, but for a store, the audit row.
    void record(const AuditEntry& entry, const QStringList& details);
    void journal(const AuditEntry& entry, const QStringList& details);
    void recordFailedStore(AuditEntry entry);

    DispensingWindow& window_;
    int pauseMs_ = defaultPauseMs;
    int idleBudget_ = defaultIdleBudget;
    int tagWaitMs_ = defaultTagWaitMs;
    DispensingJournal* journal_ = nullptr;
    StationIdentity identity_;
    AuditWriter* auditWriter_ = nullptr;
    DispensingSettings settings_;
    // The tags of the last wrong, expired and wrongly weighed containers the journal noted,
    // until the reader is empty.
    QString lastWarnedTag_;
    QString lastExpiredTag_;
    QString lastWeighedTag_;
    // The balance's display count when the last weighed line was stored: the same load left on
    // the pan does not weigh the next line.
    std::optional<std::uint64_t> lastStoreDisplay_;
    QPointer<QEventLoop> tagWait_;
    // Standard rather than Qt's: the race checker sees through these, not through Qt's wait.
    std::mutex mutex_;
    std::condition_variable idle_;
    bool running_ = false;
};
