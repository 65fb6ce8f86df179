// The over-temperature event log: header, one-minute spacing, trimming to
// 100 events, the fixed-width event line and the copy to the USB stick.
#include "FileIo.h"
#include "LogCapture.h"
#include "SimRoot.h"
#include "ValveFixture.h"

#include <QDateTime>
#include <QVector>

using namespace valvefixture;

namespace {

const QString logPath = QStringLiteral("/media/data/ot.log");
const QString stampPath = QStringLiteral("/media/data/otdate.dat");
const QByteArray header = "Overtemp Errors\n"
                          "E HT  ACTIVE  SP   TMP  VALVE              TS        \n"
                          "-----------------------------------------------------\n";

QList<QByteArray> logLines()
{
    QList<QByteArray> lines = testroot::readFile(logPath).split('\n');
    if (!lines.isEmpty() && lines.last().isEmpty())
        lines.removeLast();
    return lines;
}

// A log holding `events` numbered event lines under the header.
void writeLog(int events)
{
    QByteArray text = header;
    for (int i = 1; i <= events; ++i)
        text += "1 ON  HEATING 80   93   old-event-" + QByteArray::number(i) + "\n";
    testroot::writeFile(logPath, text);
}

} // namespace

class TestOtLog : public QObject
{
    Q_OBJECT

private slots:
    // As at program start: the log with its header, no last-event time.
    void init()
    {
        reset();
        FileIo().ensureOverTemperatureLog();
    }

    void spacing_data()
    {
        QTest::addColumn<QByteArray>("stamp");
        QTest::addColumn<bool>("logged");
        const qint64 now = QDateTime::currentSecsSinceEpoch();
        QTest::newRow("no stamp (first after start)") << QByteArray() << true;
        QTest::newRow("30 s ago") << QByteArray::number(now - 30) << false;
        QTest::newRow("60 s ago") << QByteArray::number(now - 60) << true;
        // The clock was set back since: the log must not go quiet.
        QTest::newRow("an hour ahead") << QByteArray::number(now + 3600) << true;
        QTest::newRow("unreadable stamp") << QByteArray("garbage") << true;
    }

    void spacing()
    {
        QFETCH(QByteArray, stamp);
        QFETCH(bool, logged);
        if (!stamp.isNull())
            testroot::writeFile(stampPath, stamp + "\n");
        LogCapture log;
        FileIo().logOverTemperatureEvent(1, true, true, 80, 95);
        QCOMPARE(logLines().size(), logged ? 4 : 3);
        QCOMPARE(log.has(QStringLiteral("Ot Event Too Close to Last One, Not Updating")), !logged);
        QVERIFY(!QFile::exists(testroot::path(QStringLiteral("/media/data/otdate_compare.dat"))));
        if (logged) {
            const qint64 written = testroot::readFile(stampPath).trimmed().toLongLong();
            QVERIFY(qAbs(written - QDateTime::currentSecsSinceEpoch()) <= 5);
        }
    }

    void trim_data()
    {
        QTest::addColumn<int>("events");
        QTest::addColumn<int>("firstKept");
        QTest::newRow("50 events: nothing removed") << 50 << 1;
        QTest::newRow("100 events: oldest goes") << 100 << 2;
        QTest::newRow("107 events (older version): 8 go") << 107 << 9;
    }

    void trim()
    {
        QFETCH(int, events);
        QFETCH(int, firstKept);
        writeLog(events);
        FileIo().logOverTemperatureEvent(3, false, false, 0, -9999);
        const QList<QByteArray> lines = logLines();
        QCOMPARE(lines.size(), qMin(events + 1, 100) + 3);
        QCOMPARE(lines.mid(0, 3), header.split('\n').mid(0, 3));
        QVERIFY(lines.at(3).endsWith("old-event-" + QByteArray::number(firstKept)));
        QVERIFY(lines.at(lines.size() - 2).endsWith("old-event-" + QByteArray::number(events)));
        QVERIFY(lines.last().startsWith("3 OFF IDLE    0    -9999"));
    }

    void eventLine_data()
    {
        QTest::addColumn<QVector<int>>("args"); // code, heater on, heating, set point, temperature
        QTest::addColumn<QByteArray>("front");
        QTest::addColumn<QString>("valve");
        const QString fitted = slave();
        QTest::newRow("2 on idle 80 105") << QVector<int>{2, 1, 0, 80, 105} << QByteArray("2 ON  IDLE    80   105  ")
                                          << fitted;
        QTest::newRow("4 off heating") << QVector<int>{4, 0, 1, 0, 71} << QByteArray("4 OFF HEATING 0    71   ")
                                       << fitted;
        QTest::newRow("code 7") << QVector<int>{7, 1, 1, 80, 93} << QByteArray("? ON  HEATING 80   93   ") << fitted;
        QTest::newRow("five-character set point fills")
            << QVector<int>{0, 1, 1, -1234, 99999} << QByteArray("0 ON  HEATING -123499999") << fitted;
        QTest::newRow("six digits widen") << QVector<int>{1, 1, 1, 123456, 7} << QByteArray("1 ON  HEATING 1234567    ")
                                          << fitted;
        QTest::newRow("no valve") << QVector<int>{1, 1, 1, 80, 93} << QByteArray("1 ON  HEATING 80   93   ")
                                  << QStringLiteral("2d*");
        QTest::newRow("listing unwritable") << QVector<int>{1, 1, 1, 80, 93} << QByteArray("1 ON  HEATING 80   93   ")
                                            << QString();
    }

    // Columns as under the header: code, heater, demand, SP, TMP, valve, time stamp.
    void eventLine()
    {
        QFETCH(QVector<int>, args);
        QFETCH(QByteArray, front);
        QFETCH(QString, valve);
        if (valve == QLatin1String("2d*"))
            bus().removeSlave(slave());
        if (valve.isEmpty())
            QDir().mkpath(testroot::path(QStringLiteral("/media/data/HHWP")));
        FileIo().logOverTemperatureEvent(args[0], args[1], args[2], args[3], args[4]);
        const QByteArray stamp = testroot::readFile(stampPath).trimmed();
        QCOMPARE(stamp.size(), 10);
        const QByteArray valveColumn = valve.isEmpty() ? QByteArray(19, ' ') : valve.toLatin1() + "    ";
        QCOMPARE(testroot::readFile(logPath).mid(header.size()), front + valveColumn + stamp + "\n");
        if (valve == slave() && front.size() == 24)
            QCOMPARE(logLines().value(1).indexOf("TS"), logLines().value(3).indexOf(stamp));
    }

    // A log deleted while running comes back with the event alone.
    void missingLogGetsEventOnly()
    {
        QVERIFY(QFile::remove(testroot::path(logPath)));
        FileIo().logOverTemperatureEvent(1, true, true, 80, 95);
        const QList<QByteArray> lines = logLines();
        QCOMPARE(lines.size(), 1);
        QVERIFY(lines.first().startsWith("1 ON  HEATING 80   95   " + slave().toLatin1()));
    }

    void copyToStick()
    {
        FileIo().logOverTemperatureEvent(1, true, true, 80, 95);
        const sim::SimRoot sim(testroot::root());
        sim.addDevice(QStringLiteral("/dev/sda1"));
        sim.setMountable({QStringLiteral("/dev/sda1")});
        sim.clearCalls();
        FileIo().copyOTLogToUSB();
        QCOMPARE(sim.callLines(), QStringList({QStringLiteral("umount /media/usb"),
                                               QStringLiteral("mount /dev/sda1 /media/usb"),
                                               QStringLiteral("umount /media/usb")}));
        QCOMPARE(testroot::readFile(QStringLiteral("/media/usb/ot.log")), testroot::readFile(logPath));
    }
};

ZUM_TEST_MAIN(TestOtLog)
#include "tst_otlog.moc"
