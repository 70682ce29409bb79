// A station without its window, for the concurrency test and the dispensing benchmark: it loads
// the order list of a day and stores every line it reads as not yet dispensed, as the station's
// dispensing check does (Edit, 配藥情況 set to 配藥完成, Post with the line's audit row, which
// names the worker's --station). Each store is reported on a line
// of its own, fields separated by tabs:
//   stored   DAY SEQUENCE ITEM
//   conflict DAY SEQUENCE ITEM        another station changed the line since it was read
//   error    DAY SEQUENCE ITEM TEXT
//   unread   DAY SEQUENCE TEXT        the order's lines could not be opened
// A report reaches the output before the next store starts, so a killed worker loses none.
// --gate holds the worker once, before its first store; --step holds it before every store, so
// that whoever drives it can change the world between two stores.
#include "AppError.h"
#include "AuditEntry.h"
#include "AuditTrail.h"
#include "DatabaseLocation.h"
#include "OrderStatements.h"
#include "PrescriptionFields.h"
#include "StationVersion.h"
#include "TADOQuery.h"

#include <QCommandLineParser>
#include <QCoreApplication>
#include <QDateTime>
#include <QFile>
#include <QThread>
#include <algorithm>
#include <chrono>
#include <cstdio>
#include <iostream>
#include <memory>
#include <random>
#include <stdexcept>
#include <string>
#include <vector>

namespace {

struct Options {
    db::DatabaseLocation location;
    QString day;
    quint32 seed = 1;
    int pauseMs = 0;
    bool readFirst = false;
    bool gate = false;
    bool step = false;
    int part = 1;
    int parts = 1;
    QString output;
    StationIdentity identity;
};

// One order's lines as read, and the rows still to be dispensed, in the order they are stored.
struct OrderLines {
    std::unique_ptr<db::TADOQuery> query;
    std::vector<int> rows;
};

// Database texts go into tab-separated lines: no tab or line break may split them.
QString cell(QString text) {
    for (QChar& c : text) {
        if (c.unicode() < u' ')
            c = u' ';
    }
    return text;
}

class Worker {
public:
    Worker(const Options& options, QFile& output)
        : options_(options), output_(output), connection_(options.location), random_(options.seed) {
    }

    void run() {
        std::vector<QString> sequences = orderSequences();
        std::shuffle(sequences.begin(), sequences.end(), random_);
        std::vector<OrderLines> orders;
        if (options_.readFirst) {
            for (const QString& sequence : sequences)
                orders.push_back(read(sequence));
        }
        if (!options_.step)
            waitAtGate();
        if (options_.readFirst) {
            for (OrderLines& order : orders)
                store(order);
            return;
        }
        for (const QString& sequence : sequences) {
            OrderLines order = read(sequence);
            store(order);
        }
    }

private:
    // This worker's share of the day's orders; workers given the same number of parts agree on
    // the shares, whatever order the database lists them in.
    std::vector<QString> orderSequences() {
        db::TADOQuery list(connection_);
        list.SQL = db::orderListStatement(options_.day);
        list.Open();
        QStringList all;
        for (list.First(); !list.Eof(); list.Next())
            all << list.FieldByName(db::field::Sequence).AsString();
        all.sort();
        std::vector<QString> share;
        for (qsizetype i = options_.part - 1; i < all.size(); i += options_.parts)
            share.push_back(all[i]);
        return share;
    }

    OrderLines read(const QString& sequence) {
        OrderLines order{std::make_unique<db::TADOQuery>(connection_), {}};
        try {
            order.query->SQL = db::orderLinesStatement(sequence, options_.day);
            order.query->Open();
            db::TField state = order.query->FieldByName(db::field::DispensingState);
            state.SetReadOnly(false);
            for (order.query->First(); !order.query->Eof(); order.query->Next()) {
                if (state.IsNull() || state.AsString() != db::state::Dispensed)
                    order.rows.push_back(order.query->CurrentRow());
            }
        } catch (const platform::AppError& error) {
            report({QStringLiteral("unread"), options_.day, sequence, error.text()});
            order.rows.clear();
        }
        std::shuffle(order.rows.begin(), order.rows.end(), random_);
        return order;
    }

    void store(OrderLines& order) {
        db::TADOQuery& query = *order.query;
        for (const int row : order.rows) {
            query.MoveTo(row);
            const QStringList key{query.FieldByName(QStringLiteral("領藥明細.配藥日期")).AsString(),
                                  query.FieldByName(db::field::Sequence).AsString(),
                                  query.FieldByName(db::field::Item).AsString()};
            AuditEntry stored;
            stored.event = journal_event::lineStored();
            stored.day = key[0];
            stored.sequence = key[1];
            stored.item = key[2];
            stored.drug = query.FieldByName(QStringLiteral("藥品名稱")).AsString();
            pause();
            if (options_.step)
                waitAtGate();
            try {
                query.Edit();
                query.FieldByName(db::field::DispensingState).SetValue(db::state::Dispensed);
                query.Post({auditRow(stored, options_.identity, QDateTime::currentDateTime())});
            } catch (const platform::AppError& error) {
                query.Cancel();
                if (error.text() ==
                    query.objectName() + QStringLiteral(": ") + db::TADOQuery::rowChangedText())
                    report(QStringList{QStringLiteral("conflict")} + key);
                else
                    report(QStringList{QStringLiteral("error")} + key + QStringList{error.text()});
                continue;
            }
            report(QStringList{QStringLiteral("stored")} + key);
        }
        order.query.reset();
    }

    // A random moment between reading a line and storing it gives other workers the time to
    // store it first.
    void pause() {
        if (options_.pauseMs <= 0)
            return;
        std::uniform_int_distribution<int> ms(0, options_.pauseMs);
        QThread::msleep(static_cast<unsigned long>(ms(random_)));
    }

    // Lets whoever started several workers release them at once, each with its reads done, or
    // (--step) one store at a time.
    void waitAtGate() {
        if (!options_.gate && !options_.step)
            return;
        std::fputs("ready\n", stdout);
        std::fflush(stdout);
        std::string line;
        if (!std::getline(std::cin, line))
            throw std::runtime_error("standard input closed at the gate");
    }

    void report(const QStringList& fields) {
        QStringList cells;
        for (const QString& field : fields)
            cells << cell(field);
        const QByteArray line = cells.join(u'\t').toUtf8() + '\n';
        if (output_.write(line) != line.size() || !output_.flush())
            throw std::runtime_error("cannot write the output: " +
                                     output_.errorString().toStdString());
    }

    const Options& options_;
    QFile& output_;
    db::TADOConnection connection_;
    std::mt19937 random_;
};

qint64 number(const QCommandLineParser& parser, const QString& name, qint64 least, qint64 most) {
    bool ok = false;
    const qint64 value = parser.value(name).toLongLong(&ok);
    if (!ok || value < least || value > most)
        throw std::invalid_argument(QStringLiteral("--%1 takes a number from %2 to %3")
                                        .arg(name)
                                        .arg(least)
                                        .arg(most)
                                        .toStdString());
    return value;
}

Options optionsFrom(const QCommandLineParser& parser) {
    Options options;
    const bool file = parser.isSet(QStringLiteral("file"));
    if (file == parser.isSet(QStringLiteral("server")))
        throw std::invalid_argument("give either --file or --server");
    std::chrono::seconds bound = db::DatabaseLocation::defaultStatementTimeout;
    if (parser.isSet(QStringLiteral("statement-timeout"))) {
        if (file)
            throw std::invalid_argument("--statement-timeout bounds statements on a server only");
        bound = std::chrono::seconds(number(parser, QStringLiteral("statement-timeout"), 1,
                                            db::DatabaseLocation::maxStatementTimeout.count()));
    }
    options.location =
        file ? db::DatabaseLocation::file(parser.value(QStringLiteral("file")))
             : db::DatabaseLocation::server(parser.value(QStringLiteral("server")), bound);
    options.day = parser.value(QStringLiteral("day"));
    if (options.day.isEmpty())
        throw std::invalid_argument("--day is needed");
    options.seed = static_cast<quint32>(number(parser, QStringLiteral("seed"), 0, 0xFFFFFFFFLL));
    options.pauseMs = static_cast<int>(number(parser, QStringLiteral("pause-ms"), 0, 10000));
    const QStringList part = parser.value(QStringLiteral("part")).split(u'/');
    bool partOk = part.size() == 2;
    options.part = partOk ? part[0].toInt(&partOk) : 0;
    options.parts = partOk ? part[1].toInt(&partOk) : 0;
    if (!partOk || options.parts < 1 || options.parts > 1000 || options.part < 1 ||
        options.part > options.parts)
        throw std::invalid_argument("--part takes K/N, K from 1 to N, N at most 1000");
    options.readFirst = parser.isSet(QStringLiteral("read-first"));
    options.gate = parser.isSet(QStringLiteral("gate"));
    options.step = parser.isSet(QStringLiteral("step"));
    options.output = parser.value(QStringLiteral("output"));
    options.identity = StationIdentity::named(parser.value(QStringLiteral("station")));
    return options;
}

} // namespace

int main(int argc, char* argv[]) {
    QCoreApplication app(argc, argv);
    QCoreApplication::setApplicationVersion(QString::fromLatin1(station::version));
    QCommandLineParser parser;
    parser.setApplicationDescription(
        QStringLiteral("Dispenses the orders of a day as a station does, reporting each store."));
    parser.addHelpOption();
    parser.addVersionOption();
    parser.addOptions({
        {QStringLiteral("file"), QStringLiteral("The database file."), QStringLiteral("path")},
        {QStringLiteral("server"), QStringLiteral("The server's libpq connection text."),
         QStringLiteral("text")},
        {QStringLiteral("statement-timeout"),
         QStringLiteral("How long a statement on the server may take, as the station's "
                        "[Database] StatementTimeout (default 5)."),
         QStringLiteral("seconds")},
        {QStringLiteral("day"), QStringLiteral("The day text of the orders."),
         QStringLiteral("day")},
        {QStringLiteral("seed"), QStringLiteral("Seed of the random orders and pauses."),
         QStringLiteral("n"), QStringLiteral("1")},
        {QStringLiteral("pause-ms"), QStringLiteral("Longest random pause before a store."),
         QStringLiteral("ms"), QStringLiteral("0")},
        {QStringLiteral("part"), QStringLiteral("Work only the K-th of N shares of the orders."),
         QStringLiteral("K/N"), QStringLiteral("1/1")},
        {QStringLiteral("read-first"),
         QStringLiteral("Open the lines of every order before storing any.")},
        {QStringLiteral("gate"), QStringLiteral("Print \"ready\" before the first store and wait "
                                                "for a line on standard input.")},
        {QStringLiteral("step"),
         QStringLiteral("The same before every store (instead of the first only).")},
        {QStringLiteral("station"),
         QStringLiteral("The station the audit rows name (default: the host name)."),
         QStringLiteral("name")},
        {QStringLiteral("output"),
         QStringLiteral("File of the reports (default: standard output)."), QStringLiteral("path")},
    });
    parser.process(app);
    try {
        const Options options = optionsFrom(parser);
        QFile output(options.output);
        if (!(options.output.isEmpty() ? output.open(stdout, QIODevice::WriteOnly)
                                       : output.open(QIODevice::WriteOnly | QIODevice::Truncate)))
            throw std::runtime_error(options.output.toStdString() + ": " +
                                     output.errorString().toStdString());
        Worker(options, output).run();
    } catch (const std::exception& error) {
        std::fprintf(stderr, "dispense-worker: %s\n", error.what());
        return 1;
    }
    return 0;
}
