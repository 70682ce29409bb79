// Soak of the balance polling link against a pseudo-terminal that answers like a balance at
// 2400 baud: the longest time a step of the link held the UI thread, the command rate beside
// what the line carries, and the process's memory at start and end. MemoTemp starts just under
// its bound, so every reply also drops the oldest text.
//
// Usage: bench_balance [seconds], 60 by default.

#include "BalanceLink.h"
#include "MessageBoxes.h"
#include "PseudoTerminal.h"
#include "Weight.h"

#include <QApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QEventLoop>
#include <QFile>
#include <QPlainTextEdit>
#include <QTemporaryDir>
#include <QTimer>
#include <atomic>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <string>
#include <thread>

namespace {

using Clock = std::chrono::steady_clock;

constexpr double kLineRate = 2400;
constexpr double kBitsPerCharacter = 10;
const std::string kCommand = "PRT\r\n";
const std::string kReply = "ST,+00012.34  g\r\n";

// Times every step handed to the UI thread; the link's workers are the only ones here.
class TimingApplication : public QApplication {
public:
    using QApplication::QApplication;

    bool notify(QObject* receiver, QEvent* event) override {
        // Workers hand their steps over as user events.
        if (event->type() != QEvent::User)
            return QApplication::notify(receiver, event);
        const auto start = Clock::now();
        const bool done = QApplication::notify(receiver, event);
        const auto held = Clock::now() - start;
        longest = std::max(longest, held);
        ++steps;
        return done;
    }

    Clock::duration longest{};
    long steps = 0;
};

// The balance: takes commands as they come and answers each with a reply line, no faster than
// the line carries the reply's characters.
void answer(const PseudoTerminal& balance, const std::atomic<bool>& stop,
            std::atomic<long>& commands) {
    const auto replyTime = std::chrono::microseconds(
        static_cast<long>(kReply.size() * kBitsPerCharacter * 1e6 / kLineRate));
    std::string pending;
    auto lineFree = Clock::now();
    while (!stop) {
        pending += balance.receive(1, 50);
        std::size_t at = 0;
        while ((at = pending.find(kCommand)) != std::string::npos) {
            pending.erase(0, at + kCommand.size());
            ++commands;
            lineFree = std::max(lineFree, Clock::now()) + replyTime;
            std::this_thread::sleep_until(lineFree);
            balance.send(kReply);
        }
    }
}

long residentKiB() {
    std::ifstream status("/proc/self/status");
    std::string key;
    while (status >> key) {
        if (key == "VmRSS:") {
            long kib = 0;
            status >> kib;
            return kib;
        }
    }
    return -1;
}

} // namespace

int main(int argc, char** argv) {
    const int seconds = argc > 1 ? std::atoi(argv[1]) : 60;
    if (seconds <= 0) {
        std::fprintf(stderr, "usage: %s [seconds]\n", argv[0]);
        return 2;
    }
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    TimingApplication app(argc, argv);
    QTemporaryDir folder;
    PseudoTerminal balance;
    if (!folder.isValid() || !balance.isValid() || !QDir::setCurrent(folder.path()) ||
        !QDir().mkpath("dosdevices") ||
        !QFile::link(QString::fromStdString(balance.slavePath()), "dosdevices/com1")) {
        std::fprintf(stderr, "cannot set up COM1 on a pseudo-terminal\n");
        return 1;
    }
    platform::MessageRecorder messages;
    QPlainTextEdit memo;
    QString earlier;
    // A memo as full as the link keeps it: its line limit, well within its character limit.
    for (int line = 0; line < TReadThread::kMemoLineLimit; ++line)
        earlier +=
            QString::fromLatin1(kReply.data(), static_cast<qsizetype>(kReply.size() - 2)) + u'\n';
    memo.setPlainText(earlier);

    std::atomic<bool> stop{false};
    std::atomic<long> commands{0};
    std::thread balanceThread(answer, std::cref(balance), std::cref(stop), std::ref(commands));
    const long rssStart = residentKiB();
    QElapsedTimer elapsed;
    elapsed.start();
    {
        BalanceLink link(&memo);
        link.startAtShow();
        if (!link.portOpen()) {
            std::fprintf(stderr, "the link did not open COM1\n");
            stop = true;
            balanceThread.join();
            return 1;
        }
        QEventLoop serving;
        QTimer::singleShot(seconds * 1000, &serving, &QEventLoop::quit);
        serving.exec();
    }
    const double runSeconds = static_cast<double>(elapsed.elapsed()) / 1000.0;
    const long rssEnd = residentKiB();
    stop = true;
    balanceThread.join();

    const double lineCommandsPerSecond =
        kLineRate / (kBitsPerCharacter * static_cast<double>(kCommand.size()));
    std::printf("run: %.1f s, %ld steps on the UI thread, %zu messages\n", runSeconds, app.steps,
                static_cast<std::size_t>(messages.messages().size()));
    std::printf("longest UI hold by a balance step: %.3f ms\n",
                std::chrono::duration<double, std::milli>(app.longest).count());
    std::printf("commands: %ld, %.2f per second; the line carries %.1f per second (%.0f%%)\n",
                commands.load(), static_cast<double>(commands.load()) / runSeconds,
                lineCommandsPerSecond,
                100.0 * static_cast<double>(commands.load()) / runSeconds / lineCommandsPerSecond);
    std::printf("MemoTemp: %d characters (bound %d)\n", memo.document()->characterCount() - 1,
                TReadThread::kMemoLimit);
    std::printf("RSS: %ld KiB at start, %ld KiB at end\n", rssStart, rssEnd);
    return 0;
}
