// The serial link's diagnostic log over a long run: each entry appended in
// place, the file kept to its newer half once it passes 256 KiB.
#include "SerialPortIO.h"
#include "TestRoot.h"

#include <sys/stat.h>

namespace {
const char logPath[] = "/media/data/myLog.txt";

ino_t inodeOfLog()
{
    struct stat info {};
    return ::stat(QFile::encodeName(testroot::path(logPath)).constData(), &info) == 0 ? info.st_ino : 0;
}
} // namespace

class TestSerialLog : public QObject
{
    Q_OBJECT

private slots:
    void boundedAppend_data()
    {
        QTest::addColumn<int>("entries"); // of 100 bytes each, there before
        QTest::newRow("small log") << 3;
        QTest::newRow("past 256 KiB") << 2700;
    }

    void boundedAppend()
    {
        QFETCH(int, entries);
        SerialPortIO link;
        QByteArray old;
        for (int i = 0; i < entries; ++i)
            old += "\n" + QByteArray::number(100000 + i) + ": heater " + QByteArray(83, 'x') + "\n";
        testroot::writeFile(logPath, old);
        const ino_t before = inodeOfLog();
        link.writeToLog("heater off");
        const QByteArray log = testroot::readFile(logPath);
        if (old.size() <= 256 * 1024) {
            QCOMPARE(log, old + "\nheater off\n");
            QCOMPARE(inodeOfLog(), before); // appended, not rewritten
            return;
        }
        QVERIFY2(log.size() <= 128 * 1024 && log.size() > 120 * 1024, qPrintable(QString::number(log.size())));
        QVERIFY(old.endsWith(log.chopped(12))); // the newest entries, whole
        QVERIFY(log.startsWith("\n1") && log.endsWith("\n\nheater off\n"));
    }
};

ZUM_TEST_MAIN(TestSerialLog)
#include "tst_seriallog.moc"
