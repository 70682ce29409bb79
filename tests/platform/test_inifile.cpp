#include "FileBytes.h"
#include "IniFile.h"

#include <QDir>
#include <QFile>
#include <QRandomGenerator>
#include <QTemporaryDir>
#include <QTest>
#include <atomic>
#include <string>
#include <sys/stat.h>
#include <thread>
#include <unistd.h>
#include <vector>

using platform::readPrivateProfileString;
using platform::writePrivateProfileString;

namespace {

const QByteArray absent; // a null array stands for "no file"

QByteArray readBytes(const QString& path) {
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : absent;
}

struct stat statOf(const QString& path) {
    struct stat status {};
    ::stat(QFile::encodeName(path).constData(), &status);
    return status;
}

std::string toStd(const QByteArray& bytes) {
    return bytes.toStdString();
}

// Keeps the NUL bytes inside a literal.
template <std::size_t N> QByteArray bytes(const char (&literal)[N]) {
    return QByteArray(literal, N - 1);
}

void readRow(const char* name, const QByteArray& content, const QByteArray& expected,
             const QByteArray& key = "COM", const QByteArray& section = "COMPORT") {
    QTest::newRow(name) << content << section << key << expected;
}

void refusedRow(const char* name, const QByteArray& section, const QByteArray& key,
                const QByteArray& value) {
    QTest::newRow(name) << section << key << value;
}

} // namespace

class TestIniFile : public QObject {
    Q_OBJECT

    QTemporaryDir dir;
    QString iniPath;

    std::string path() const { return iniPath.toStdString(); }
    QString readCom(std::size_t size, const char* defaultValue = "None") const {
        char buffer[300] = {};
        const std::size_t count =
            readPrivateProfileString("COMPORT", "COM", defaultValue, buffer, size, path());
        return QString::number(count) + ":" + QString::fromUtf8(buffer);
    }

private slots:
    void init() {
        QVERIFY(dir.isValid());
        iniPath = dir.filePath("ZQKRT_Tovrel.ini");
        QFile::remove(iniPath);
    }

    void readsValue_data() {
        QTest::addColumn<QByteArray>("content");
        QTest::addColumn<QByteArray>("section");
        QTest::addColumn<QByteArray>("key");
        QTest::addColumn<QByteArray>("expected");
        readRow("plain", "[COMPORT]\r\nCOM=3\r\n", "3");
        readRow("names in other case", "[comPort]\r\ncom=2\r\n", "2", "Com");
        readRow("blanks around names and value", "  [ COMPORT ] \r\n\t COM \t=\t 4 x \t\r\n", "4 x",
                "COM ", " COMPORT");
        readRow("double quotes", "[COMPORT]\nCOM = \" 1 \" \n", " 1 ");
        readRow("single quotes", "[COMPORT]\nCOM='8E1'\n", "8E1");
        readRow("unmatched quotes kept", "[COMPORT]\nCOM=\"1'\n", "\"1'");
        readRow("lone quote kept", "[COMPORT]\nCOM=\"\n", "\"");
        readRow("empty value is no default", "[COMPORT]\r\nCOM=\r\n", "");
        readRow("comment skipped", "[COMPORT]\r\n ;COM=9\r\nCOM=3\r\n", "3");
        readRow("comment is no key", "[COMPORT]\r\n;COM=9\r\n", "None", ";COM");
        readRow("key outside sections", "COM=7\r\n[COMPORT]\r\nBaud=9600\r\n", "None");
        readRow("key of the next section", "[COMPORT]\r\nBaud=1\r\n[OTHER]\r\nCOM=5\r\n", "None");
        readRow("missing section", "[OTHER]\r\nCOM=5\r\n", "None");
        readRow("first key wins", "[COMPORT]\r\nCOM=1\r\nCOM=2\r\n[COMPORT]\r\nCOM=3\r\n", "1");
        readRow("line without equals sign", "[COMPORT]\nCOM\nCOM=4", "4");
        readRow("no final newline", "[COMPORT]\nCOM=4", "4");
        readRow("header without bracket", "[COMPORT\r\nCOM=6\r\n", "6");
        readRow("NUL ends the value", bytes("[COMPORT]\nCOM=12\0 34\n"), "12");
        readRow("byte order mark", "\xEF\xBB\xBF[COMPORT]\r\nCOM=2\r\n", "2");
        readRow("Chinese names", "[設定]\r\n藥品=配藥中\r\n", "配藥中", "藥品", "設定");
        readRow("no INI text", "MZ\x90\x01\x02 = \xff\xfe", "None");
        readRow("empty key asked", "[COMPORT]\r\n=5\r\n", "None", "");
    }
    void readsValue() {
        QFETCH(QByteArray, content);
        QFETCH(QByteArray, section);
        QFETCH(QByteArray, key);
        QFETCH(QByteArray, expected);
        writeFileBytes(iniPath, content);
        QCOMPARE(QByteArray::fromStdString(
                     readPrivateProfileString(toStd(section), toStd(key), "None", path())),
                 expected);
    }

    void cutsToBufferSize_data() {
        QTest::addColumn<int>("size");
        QTest::addColumn<QString>("expected");
        QTest::newRow("5 bytes") << 5 << "4:3840";
        QTest::newRow("6 bytes") << 6 << "5:38400";
        QTest::newRow("1 byte") << 1 << "0:";
        QTest::newRow("256 bytes") << 256 << "5:38400";
    }
    void cutsToBufferSize() {
        QFETCH(int, size);
        QFETCH(QString, expected);
        writeFileBytes(iniPath, "[COMPORT]\r\nCOM=38400\r\n");
        QCOMPARE(readCom(static_cast<std::size_t>(size)), expected);
    }

    void defaultIsCutToo() {
        QCOMPARE(readCom(3), QString("2:No"));
        QVERIFY(!QFile::exists(iniPath));
    }

    void zeroSizeWritesNothing() {
        writeFileBytes(iniPath, "[COMPORT]\r\nCOM=3\r\n");
        char buffer[4] = {'x', 'x', 'x', 'x'};
        QCOMPARE(readPrivateProfileString("COMPORT", "COM", "None", buffer, 0, path()),
                 std::size_t{0});
        QCOMPARE(QByteArray(buffer, 4), QByteArray("xxxx"));
        QCOMPARE(readPrivateProfileString("COMPORT", "COM", "None", nullptr, 8, path()),
                 std::size_t{0});
    }

    void writes_data() {
        QTest::addColumn<QByteArray>("before");
        QTest::addColumn<QByteArray>("after");
        QTest::newRow("new file") << absent << QByteArray("[COMPORT]\r\nCOM=3\r\n");
        QTest::newRow("new section after a blank line")
            << QByteArray("[A]\r\nx=1\r\n")
            << QByteArray("[A]\r\nx=1\r\n\r\n[COMPORT]\r\nCOM=3\r\n");
        QTest::newRow("new section, LF, no final newline")
            << QByteArray("[A]\nx=1") << QByteArray("[A]\nx=1\n\n[COMPORT]\nCOM=3\n");
        QTest::newRow("new section after an existing blank line")
            << QByteArray("[A]\r\n\r\n") << QByteArray("[A]\r\n\r\n[COMPORT]\r\nCOM=3\r\n");
        QTest::newRow("new key after the section's last key")
            << QByteArray("[COMPORT]\r\nBaud=9600\r\n\r\n;next\r\n[B]\r\nCOM=9\r\n")
            << QByteArray("[COMPORT]\r\nBaud=9600\r\nCOM=3\r\n\r\n;next\r\n[B]\r\nCOM=9\r\n");
        QTest::newRow("new key before a trailing comment")
            << QByteArray("[COMPORT]\r\nBaud=1\r\n;COM=old\r\n")
            << QByteArray("[COMPORT]\r\nBaud=1\r\nCOM=3\r\n;COM=old\r\n");
        QTest::newRow("new key in an empty section")
            << QByteArray("[comport]\n[B]\n") << QByteArray("[comport]\nCOM=3\n[B]\n");
        QTest::newRow("new key, header without newline")
            << QByteArray("[COMPORT]") << QByteArray("[COMPORT]\r\nCOM=3\r\n");
        QTest::newRow("key outside sections left alone")
            << QByteArray("COM=9\r\n[COMPORT]\r\n")
            << QByteArray("COM=9\r\n[COMPORT]\r\nCOM=3\r\n");
        QTest::newRow("value replaced, other lines kept")
            << QByteArray("; station\r\n[comport]\r\nBaud = 9600\r\n  com = 1  \r\nFrame=8E1")
            << QByteArray("; station\r\n[comport]\r\nBaud = 9600\r\n  com = 3\r\nFrame=8E1");
        QTest::newRow("LF kept on replace")
            << QByteArray("[COMPORT]\nCOM=1\n") << QByteArray("[COMPORT]\nCOM=3\n");
        QTest::newRow("first of duplicate keys replaced")
            << QByteArray("[COMPORT]\r\nCOM=1\r\nCOM=2\r\n")
            << QByteArray("[COMPORT]\r\nCOM=3\r\nCOM=2\r\n");
        QTest::newRow("bare CR after an unclosed header at the end")
            << QByteArray("[A]\nx=1\n[COMPORT\r")
            << QByteArray("[A]\nx=1\n[COMPORT\r\r\n\n[COMPORT]\nCOM=3\n");
        QTest::newRow("bare CR ends the last key line")
            << QByteArray("[COMPORT]\nBaud=1\r") << QByteArray("[COMPORT]\nBaud=1\r\r\nCOM=3\n");
        QTest::newRow("bare CR line endings")
            << QByteArray("[COMPORT]\rCOM=1\r") << QByteArray("[COMPORT]\rCOM=1\r\r\nCOM=3\r\n");
        QTest::newRow("CR inside the key line")
            << QByteArray("[COMPORT]\nCOM=1\rBaud=2\n") << QByteArray("[COMPORT]\nCOM=3\n");
        QTest::newRow("CR inside a header line")
            << QByteArray("[A]\r[COMPORT]\nCOM=1")
            << QByteArray("[A]\r[COMPORT]\nCOM=1\n\n[COMPORT]\nCOM=3\n");
        QTest::newRow("unclosed header at the end")
            << QByteArray("[A]\nx=1\n[COMPORT") << QByteArray("[A]\nx=1\n[COMPORT\nCOM=3\n");
        QTest::newRow("foreign bytes kept")
            << bytes("\x01junk\xff\r\n[COMPORT]\r\nCOM=\0\x02\r\nx\0y\r\n")
            << bytes("\x01junk\xff\r\n[COMPORT]\r\nCOM=3\r\nx\0y\r\n");
    }
    void writes() {
        QFETCH(QByteArray, before);
        QFETCH(QByteArray, after);
        if (!before.isNull()) {
            writeFileBytes(iniPath, before);
        }
        QVERIFY(writePrivateProfileString("COMPORT", "COM", "3", path()));
        QCOMPARE(readBytes(iniPath), after);
        QCOMPARE(readCom(256), QString("1:3"));
        QCOMPARE(QDir(dir.path()).entryList(QDir::Files | QDir::Hidden),
                 QStringList{"ZQKRT_Tovrel.ini"});
    }

    void savedSettingsReadBack() {
        const char* keys[] = {"COM", "Baud", "Frame", "Timeout", "TxTimeControl", "TxDelayTime"};
        const char* values[] = {"2", "38400", "8E1", "800", "1", "5"};
        for (int i = 0; i < 6; ++i) {
            QVERIFY(writePrivateProfileString("COMPORT", keys[i], values[i], path()));
        }
        QCOMPARE(readBytes(iniPath),
                 QByteArray("[COMPORT]\r\nCOM=2\r\nBaud=38400\r\nFrame=8E1\r\n"
                            "Timeout=800\r\nTxTimeControl=1\r\nTxDelayTime=5\r\n"));
        QVERIFY(writePrivateProfileString("comport", "baud", "9600", path()));
        QCOMPARE(readPrivateProfileString("COMPORT", "Baud", "", path()), std::string("9600"));
        QCOMPARE(readPrivateProfileString("COMPORT", "Timeout", "", path()), std::string("800"));
    }

    void refusesBrokenNames_data() {
        QTest::addColumn<QByteArray>("section");
        QTest::addColumn<QByteArray>("key");
        QTest::addColumn<QByteArray>("value");
        refusedRow("LF in value", "COMPORT", "COM", "1\n[X]");
        refusedRow("CR in value", "COMPORT", "COM", "1\r");
        refusedRow("NUL in value", "COMPORT", "COM", bytes("1\0002"));
        refusedRow("LF in key", "COMPORT", "C\nOM", "1");
        refusedRow("NUL in key", "COMPORT", bytes("C\0M"), "1");
        refusedRow("CR in section", "COM\rPORT", "COM", "1");
        refusedRow("bracket in section", "COM]PORT", "COM", "1");
        refusedRow("equals sign in key", "COMPORT", "C=M", "1");
        refusedRow("key as comment", "COMPORT", ";COM", "1");
        refusedRow("key as header", "COMPORT", "[COM", "1");
        refusedRow("empty section", "", "COM", "1");
        refusedRow("blank key", "COMPORT", " \t", "1");
    }
    void refusesBrokenNames() {
        QFETCH(QByteArray, section);
        QFETCH(QByteArray, key);
        QFETCH(QByteArray, value);
        const QByteArray before("[COMPORT]\r\nCOM=1\r\n");
        writeFileBytes(iniPath, before);
        QVERIFY(!writePrivateProfileString(toStd(section), toStd(key), toStd(value), path()));
        QCOMPARE(readBytes(iniPath), before);
        QVERIFY(!writePrivateProfileString(toStd(section), toStd(key), toStd(value),
                                           dir.filePath("new.ini").toStdString()));
        QVERIFY(!QFile::exists(dir.filePath("new.ini")));
    }

    // All keys go in one replacement: one refused key leaves the file as it was.
    void severalKeysAllOrNone() {
        const QByteArray before = "[COMPORT]\r\nCOM=1\r\nNote=kept\r\n";
        writeFileBytes(iniPath, before);
        QVERIFY(!platform::writePrivateProfileStrings("COMPORT", {{"COM", "2"}, {"Baud", "9\n6"}},
                                                      path()));
        QVERIFY(!platform::writePrivateProfileStrings("COMPORT", {}, path()));
        QCOMPARE(readBytes(iniPath), before);
        QVERIFY(platform::writePrivateProfileStrings(
            "COMPORT", {{"COM", "2"}, {"Baud", "9600"}, {"Frame", "8N1"}}, path()));
        QCOMPARE(readBytes(iniPath),
                 QByteArray("[COMPORT]\r\nCOM=2\r\nNote=kept\r\nBaud=9600\r\nFrame=8N1\r\n"));
        QCOMPARE(QDir(dir.path()).entryList(QDir::Files | QDir::Hidden),
                 QStringList{"ZQKRT_Tovrel.ini"});
    }

    void binaryGarbageSurvivesReadAndWrite() {
        QRandomGenerator random(15693);
        QByteArray garbage(64 * 1024, '\0');
        for (char& byte : garbage) {
            byte = static_cast<char>(random.bounded(256));
        }
        writeFileBytes(iniPath, garbage + "\n[COMPORT]\nCOM=1\n");
        QCOMPARE(readCom(5), QString("1:1"));
        QVERIFY(writePrivateProfileString("COMPORT", "COM", "4", path()));
        QCOMPARE(readCom(5), QString("1:4"));
        QVERIFY(readBytes(iniPath).startsWith(garbage));
    }

    void longLineWithinLimit() {
        const QByteArray longValue(900 * 1024, 'x');
        writeFileBytes(iniPath, "[COMPORT]\r\nCOM=" + longValue + "\r\nBaud=9600");
        QCOMPARE(readCom(256), QString("255:") + QString(255, 'x'));
        QCOMPARE(readPrivateProfileString("COMPORT", "COM", "", path()).size(),
                 std::size_t(longValue.size()));
        QCOMPARE(readPrivateProfileString("COMPORT", "Baud", "", path()), std::string("9600"));
    }

    void oversizedFileIsNeitherReadNorClobbered() {
        const QByteArray content = "[COMPORT]\r\nCOM=3\r\nNote=" + QByteArray(3 << 20, 'a');
        writeFileBytes(iniPath, content);
        QCOMPARE(readCom(5), QString("4:None"));
        QVERIFY(!writePrivateProfileString("COMPORT", "COM", "1", path()));
        QCOMPARE(readBytes(iniPath), content);
    }

    void writeThatWouldExceedLimitIsRefused() {
        writeFileBytes(iniPath, "[COMPORT]\r\nCOM=3\r\n");
        QVERIFY(!writePrivateProfileString("COMPORT", "Note", std::string(1 << 20, 'a'), path()));
        QCOMPARE(readBytes(iniPath), QByteArray("[COMPORT]\r\nCOM=3\r\n"));
        const QString newFile = dir.filePath("new.ini");
        QVERIFY(!writePrivateProfileString("COMPORT", "Note", std::string(1 << 20, 'a'),
                                           newFile.toStdString()));
        QVERIFY(!QFile::exists(newFile));
    }

    void chineseValueRoundTrip() {
        const std::string value = "藥師配藥系統 克";
        QVERIFY(writePrivateProfileString("COMPORT", "Name", value, path()));
        QVERIFY(readBytes(iniPath).contains(QByteArray::fromStdString("Name=" + value + "\r\n")));
        QCOMPARE(readPrivateProfileString("COMPORT", "Name", "", path()), value);
    }

    void unusablePlaces() {
        const std::string inMissingFolder = dir.filePath("missing/ZQKRT_Tovrel.ini").toStdString();
        QVERIFY(!writePrivateProfileString("COMPORT", "COM", "1", inMissingFolder));
        QCOMPARE(readPrivateProfileString("COMPORT", "COM", "None", inMissingFolder),
                 std::string("None"));
        QVERIFY(QDir(dir.path()).mkdir("folder.ini"));
        const std::string folder = dir.filePath("folder.ini").toStdString();
        QCOMPARE(readPrivateProfileString("COMPORT", "COM", "None", folder), std::string("None"));
        QVERIFY(!writePrivateProfileString("COMPORT", "COM", "1", folder));
        QVERIFY(QFileInfo(dir.filePath("folder.ini")).isDir());
    }

    void permissionsKept() {
        writeFileBytes(iniPath, "[COMPORT]\nCOM=1\n");
        const auto permissions = QFile::ReadOwner | QFile::WriteOwner | QFile::ReadGroup;
        QVERIFY(QFile::setPermissions(iniPath, permissions));
        QVERIFY(writePrivateProfileString("COMPORT", "COM", "2", path()));
        QCOMPARE(QFile::permissions(iniPath) & ~(QFile::ReadUser | QFile::WriteUser), permissions);
    }

    void readOnlyFileLeftAlone_data() {
        QTest::addColumn<int>("mode");
        QTest::newRow("read-only for all") << 0444;
        QTest::newRow("owner may only read") << 0400;
        QTest::newRow("set-group-ID, read-only for owner and group") << 02440;
    }
    void readOnlyFileLeftAlone() {
        QFETCH(int, mode);
        const QByteArray before("[COMPORT]\r\nCOM=1\r\n");
        writeFileBytes(iniPath, before);
        QCOMPARE(::chmod(QFile::encodeName(iniPath).constData(), static_cast<mode_t>(mode)), 0);
        const struct stat old = statOf(iniPath);
        QVERIFY(!writePrivateProfileString("COMPORT", "COM", "2", path()));
        const struct stat now = statOf(iniPath);
        QCOMPARE(now.st_ino, old.st_ino);
        QCOMPARE(now.st_mode, old.st_mode);
        QCOMPARE(readBytes(iniPath), before);
    }

    void ownerAndGroupKept() {
        if (::geteuid() != 0) {
            QSKIP("giving a file away needs root");
        }
        writeFileBytes(iniPath, "[COMPORT]\nCOM=1\n");
        const QByteArray name = QFile::encodeName(iniPath);
        QCOMPARE(::chown(name.constData(), 4321, 8765), 0);
        QCOMPARE(::chmod(name.constData(), 02664), 0);
        QVERIFY(writePrivateProfileString("COMPORT", "COM", "2", path()));
        const struct stat now = statOf(iniPath);
        QCOMPARE(now.st_uid, uid_t{4321});
        QCOMPARE(now.st_gid, gid_t{8765});
        QCOMPARE(now.st_mode & 07777, mode_t{02664});
        QCOMPARE(readCom(256), QString("1:2"));
    }

    void leftoverOfKilledWriterRemoved() {
        writeFileBytes(iniPath, "[COMPORT]\nCOM=1\n");
        const QStringList others{".ZQKRT_Tovrel.ini.tmp-keep", ".other.ini.tmp-Ab12Cd"};
        for (const QString& name : others + QStringList{".ZQKRT_Tovrel.ini.tmp-Ab12Cd"}) {
            writeFileBytes(dir.filePath(name), "[COMPORT]\nCOM=half");
        }
        QVERIFY(writePrivateProfileString("COMPORT", "COM", "2", path()));
        QCOMPARE(readCom(256), QString("1:2"));
        QCOMPARE(QDir(dir.path()).entryList(QDir::Files | QDir::Hidden, QDir::Name),
                 others + QStringList{"ZQKRT_Tovrel.ini"});
        for (const QString& name : others) {
            QFile::remove(dir.filePath(name));
        }
    }

    void concurrentWritersLoseNothing() {
        constexpr int writers = 4;
        constexpr int keysEach = 25;
        std::atomic<int> failures{0};
        std::vector<std::thread> threads;
        for (int writer = 0; writer < writers; ++writer) {
            threads.emplace_back([&, writer] {
                for (int key = 0; key < keysEach; ++key) {
                    const std::string name = "K" + std::to_string(writer * keysEach + key);
                    if (!writePrivateProfileString("COMPORT", name, std::to_string(key), path())) {
                        ++failures;
                    }
                }
            });
        }
        for (std::thread& thread : threads) {
            thread.join();
        }
        QCOMPARE(failures.load(), 0);
        for (int key = 0; key < writers * keysEach; ++key) {
            QCOMPARE(readPrivateProfileString("COMPORT", "K" + std::to_string(key), "lost", path()),
                     std::to_string(key % keysEach));
        }
        QCOMPARE(QDir(dir.path()).entryList(QDir::Files | QDir::Hidden),
                 QStringList{"ZQKRT_Tovrel.ini"});
    }

    void writeThroughLinkKeepsLink() {
        writeFileBytes(iniPath, "[COMPORT]\nCOM=1\n");
        const QString link = dir.filePath("link.ini");
        QVERIFY(QFile::link(iniPath, link));
        QVERIFY(writePrivateProfileString("COMPORT", "COM", "2", link.toStdString()));
        QVERIFY(QFileInfo(link).isSymLink());
        QCOMPARE(readBytes(iniPath), QByteArray("[COMPORT]\nCOM=2\n"));
        QFile::remove(link);
    }
};

QTEST_APPLESS_MAIN(TestIniFile)
#include "test_inifile.moc"
