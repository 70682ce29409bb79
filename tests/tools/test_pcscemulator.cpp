#include "ControlClient.h"
#include "HexBytes.h"
#include "PcscDaemon.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QProcess>
#include <QTemporaryDir>
#include <QTest>
#include <chrono>
#include <memory>
#include <winscard.h>

namespace {

constexpr int kGenerousMs = 20000;
constexpr const char* kUid = "E004010012345678";
constexpr const char* kReader = "Virtual PCD 00 00";

using Bytes = std::vector<std::uint8_t>;

} // namespace

// The reader emulator's PC/SC face, seen through a private PC/SC daemon as the station sees a
// desktop reader.
class TestPcscEmulator : public QObject {
    Q_OBJECT

public:
    ~TestPcscEmulator() override {
        // Also when a check failed half-way: no daemon outlives the test.
        if (emulator_) {
            emulator_->kill();
            emulator_->waitForFinished(kGenerousMs);
        }
        if (context_ != 0) {
            SCardReleaseContext(context_);
        }
    }

private slots:
    void initTestCase();
    void cardFollowsTheFirstTransponder();
    void cardLaidAgainOrReplacedIsSeenSoon();
    void killedEmulatorTakesTheCardAwayWithoutAHang();

private:
    // Waits until the reader shows the card present (or empty); false when it never does.
    bool waitForCard(bool present);
    // Reads the UID of the card presented until it is uid (reader's byte order, status word
    // included); false when it is not within the limit.
    bool waitForUid(const Bytes& uid, int limitMs);
    // SCardTransmit on the card; the response with its status word, empty on failure.
    Bytes transmit(SCARDHANDLE card, const Bytes& apdu, LONG* result = nullptr);
    bool control(const std::string& line) { return control_->send(line).ok(); }

    PcscDaemon daemon_;
    QTemporaryDir dir_;
    std::unique_ptr<QProcess> emulator_;
    std::unique_ptr<emulator::ControlClient> control_;
    SCARDCONTEXT context_ = 0;
};

void TestPcscEmulator::initTestCase() {
    QVERIFY(dir_.isValid());
    QString error;
    QVERIFY2(daemon_.start(error), qPrintable(error));

    const QString socket = dir_.filePath("control.sock");
    emulator_ = std::make_unique<QProcess>();
    emulator_->setProcessChannelMode(QProcess::ForwardedErrorChannel);
    emulator_->start(
        QCoreApplication::applicationDirPath() + "/reader-emulator",
        {"--no-delays", "--control", socket, "--pcsc", "localhost:" + daemon_.cardPort()});
    QVERIFY(emulator_->waitForStarted(kGenerousMs));
    QVERIFY(emulator_->waitForReadyRead(kGenerousMs));
    QCOMPARE(emulator_->readLine().trimmed(), QByteArray("ready"));
    control_ = std::make_unique<emulator::ControlClient>(socket.toStdString());

    QCOMPARE(SCardEstablishContext(SCARD_SCOPE_SYSTEM, nullptr, nullptr, &context_),
             SCARD_S_SUCCESS);
    QVERIFY(waitForCard(false));
}

bool TestPcscEmulator::waitForCard(bool present) {
    SCARD_READERSTATE state{};
    state.szReader = kReader;
    state.dwCurrentState = SCARD_STATE_UNAWARE;
    QElapsedTimer timer;
    timer.start();
    while (timer.elapsed() < kGenerousMs) {
        const LONG result = SCardGetStatusChange(context_, 1000, &state, 1);
        if (result == SCARD_S_SUCCESS) {
            const bool cardThere = (state.dwEventState & SCARD_STATE_PRESENT) != 0;
            const bool readerThere = (state.dwEventState & SCARD_STATE_UNKNOWN) == 0;
            if (readerThere && cardThere == present) {
                return true;
            }
            state.dwCurrentState = state.dwEventState;
        } else if (result != SCARD_E_TIMEOUT) {
            QTest::qWait(100); // reader not listed yet
        }
    }
    return false;
}

Bytes TestPcscEmulator::transmit(SCARDHANDLE card, const Bytes& apdu, LONG* result) {
    std::uint8_t response[258];
    DWORD length = sizeof response;
    const LONG outcome =
        SCardTransmit(card, SCARD_PCI_T1, apdu.data(), apdu.size(), nullptr, response, &length);
    if (result != nullptr) {
        *result = outcome;
    }
    return outcome == SCARD_S_SUCCESS ? Bytes(response, response + length) : Bytes{};
}

bool TestPcscEmulator::waitForUid(const Bytes& uid, int limitMs) {
    QElapsedTimer timer;
    timer.start();
    while (timer.elapsed() < limitMs) {
        // As the station asks: a card the daemon holds mute is no card to talk to.
        SCARD_READERSTATE state{};
        state.szReader = kReader;
        state.dwCurrentState = SCARD_STATE_UNAWARE;
        SCARDHANDLE card = 0;
        DWORD protocol = 0;
        if (SCardGetStatusChange(context_, 0, &state, 1) == SCARD_S_SUCCESS &&
            (state.dwEventState & SCARD_STATE_PRESENT) != 0 &&
            (state.dwEventState & SCARD_STATE_MUTE) == 0 &&
            SCardConnect(context_, kReader, SCARD_SHARE_SHARED, SCARD_PROTOCOL_T1, &card,
                         &protocol) == SCARD_S_SUCCESS) {
            const Bytes read = transmit(card, hex("FFCA000000"));
            SCardDisconnect(card, SCARD_LEAVE_CARD);
            if (read == uid) {
                return true;
            }
        }
        QTest::qWait(20);
    }
    return false;
}

void TestPcscEmulator::cardLaidAgainOrReplacedIsSeenSoon() {
    // Far below the seconds a stuck link took, far above the daemon's polling.
    constexpr int kSoonMs = 5000;
    const Bytes first = hex("78563412000104E09000");
    const Bytes second = hex("21436587000104E09000");
    const std::string place = std::string("place ") + kUid;
    const std::string remove = std::string("remove ") + kUid;
    // Laid, taken and laid again at moments across the daemon's looks at the reader.
    for (int gapMs = 0; gapMs <= 400; gapMs += 50) {
        QVERIFY(control(place));
        QTest::qWait(gapMs);
        QVERIFY(control(remove));
        QTest::qWait(gapMs);
        QVERIFY(control(place));
        QVERIFY2(waitForUid(first, kSoonMs), qPrintable(QString("gap %1 ms").arg(gapMs)));
        QVERIFY(control(remove));
        QVERIFY(waitForCard(false));
    }

    QVERIFY(control(place));
    QVERIFY(waitForUid(first, kSoonMs));
    QVERIFY(control("place E004010087654321"));
    QVERIFY(control(remove));
    QVERIFY(waitForUid(second, kSoonMs));
    QVERIFY(control(place));
    QVERIFY(control("remove E004010087654321"));
    QVERIFY(waitForUid(first, kSoonMs));
    QVERIFY(control("clear"));
    QVERIFY(waitForCard(false));
}

void TestPcscEmulator::cardFollowsTheFirstTransponder() {
    SCARDHANDLE card = 0;
    DWORD protocol = 0;
    QCOMPARE(
        SCardConnect(context_, kReader, SCARD_SHARE_SHARED, SCARD_PROTOCOL_T1, &card, &protocol),
        SCARD_E_NO_SMARTCARD);

    QVERIFY(control(std::string("place ") + kUid));
    QVERIFY(control("place E004010087654321"));
    QVERIFY(control(std::string("block ") + kUid + " 3 C0FFEE00"));
    QVERIFY(waitForCard(true));
    QCOMPARE(
        SCardConnect(context_, kReader, SCARD_SHARE_SHARED, SCARD_PROTOCOL_T1, &card, &protocol),
        SCARD_S_SUCCESS);

    QCOMPARE(transmit(card, hex("FFCA000000")), hex("78563412000104E09000"));
    // The memory the serial face and the control commands see.
    QCOMPARE(transmit(card, hex("FFB0000300")), hex("C0FFEE009000"));
    QCOMPARE(transmit(card, hex("FFD6000704DEADBEEF")), hex("9000"));
    QCOMPARE(transmit(card, hex("FFB0000700")), hex("DEADBEEF9000"));
    QCOMPARE(transmit(card, hex("FFB000FF00")), hex("6A82"));
    QVERIFY(control(std::string("readonly ") + kUid + " on"));
    QCOMPARE(transmit(card, hex("FFD600070400000000")), hex("6982"));
    QCOMPARE(transmit(card, hex("FFB0000700")), hex("DEADBEEF9000"));

    QVERIFY(control(std::string("remove ") + kUid));
    QVERIFY(waitForCard(false));
    SCardDisconnect(card, SCARD_LEAVE_CARD);
    // The next transponder in placing order is the card now.
    QVERIFY(waitForCard(true));
    QCOMPARE(
        SCardConnect(context_, kReader, SCARD_SHARE_SHARED, SCARD_PROTOCOL_T1, &card, &protocol),
        SCARD_S_SUCCESS);
    QCOMPARE(transmit(card, hex("FFCA000000")), hex("21436587000104E09000"));
    SCardDisconnect(card, SCARD_LEAVE_CARD);

    QVERIFY(control("clear"));
    QVERIFY(waitForCard(false));
    QCOMPARE(
        SCardConnect(context_, kReader, SCARD_SHARE_SHARED, SCARD_PROTOCOL_T1, &card, &protocol),
        SCARD_E_NO_SMARTCARD);
}

void TestPcscEmulator::killedEmulatorTakesTheCardAwayWithoutAHang() {
    QVERIFY(control(std::string("place ") + kUid));
    QVERIFY(waitForCard(true));
    SCARDHANDLE card = 0;
    DWORD protocol = 0;
    QCOMPARE(
        SCardConnect(context_, kReader, SCARD_SHARE_SHARED, SCARD_PROTOCOL_T1, &card, &protocol),
        SCARD_S_SUCCESS);

    emulator_->kill();
    QVERIFY(emulator_->waitForFinished(kGenerousMs));
    QElapsedTimer timer;
    timer.start();
    LONG result = SCARD_S_SUCCESS;
    QVERIFY(transmit(card, hex("FFCA000000"), &result).empty());
    QVERIFY(result != SCARD_S_SUCCESS);
    QVERIFY(timer.elapsed() < kGenerousMs);
    SCardDisconnect(card, SCARD_LEAVE_CARD);
    QVERIFY(waitForCard(false));
}

QTEST_GUILESS_MAIN(TestPcscEmulator)
#include "test_pcscemulator.moc"
