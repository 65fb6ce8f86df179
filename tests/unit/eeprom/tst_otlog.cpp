// The over-temperature event log: header, one-minute spacing, trimming to
// 100 events, the fixed-width event line and the copy to the USB stick.
#include "FileIo.h"
#include "LogCapture.h"
#include "SimRoot.h"
#include "ValveFixture.h"

#include <QDateTime>

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
        QTest::newRow("an hour ago") << QByteArray::number(now - 3600) << true;
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
        QTest::addColumn<int>("code");
        QTest::addColumn<bool>("heatingOn");
        QTest::addColumn<bool>("heatingActive");
        QTest::addColumn<int>("setpoint");
        QTest::addColumn<int>("temperature");
        QTest::addColumn<QString>("valve");
        QTest::addColumn<QByteArray>("front");

        const QString fitted = slave();
        QTest::newRow("2 on idle 80 105") << 2 << true << false << 80 << 105 << fitted
                                          << QByteArray("2 ON  IDLE    80   105  ");
        QTest::newRow("4 off heating") << 4 << false << true << 0 << 71 << fitted
                                       << QByteArray("4 OFF HEATING 0    71   ");
        QTest::newRow("code 7") << 7 << true << true << 80 << 93 << fitted << QByteArray("? ON  HEATING 80   93   ");
        QTest::newRow("five-character set point fills") << 0 << true << true << -1234 << 99999 << fitted
                                                        << QByteArray("0 ON  HEATING -123499999");
        QTest::newRow("six digits widen") << 1 << true << true << 123456 << 7 << fitted
                                          << QByteArray("1 ON  HEATING 1234567    ");
        QTest::newRow("no valve") << 1 << true << true << 80 << 93 << QStringLiteral("2d*")
                                  << QByteArray("1 ON  HEATING 80   93   ");
        QTest::newRow("listing unwritable") << 1 << true << true << 80 << 93 << QString()
                                            << QByteArray("1 ON  HEATING 80   93   ");
    }

    // Columns as under the header: code, heater, demand, SP, TMP, valve, time stamp.
    void eventLine()
    {
        QFETCH(int, code);
        QFETCH(bool, heatingOn);
        QFETCH(bool, heatingActive);
        QFETCH(int, setpoint);
        QFETCH(int, temperature);
        QFETCH(QString, valve);
        QFETCH(QByteArray, front);
        if (valve == QLatin1String("2d*"))
            bus().removeSlave(slave());
        if (valve.isEmpty())
            QDir().mkpath(testroot::path(QStringLiteral("/media/data/HHWP")));
        FileIo io;
        io.logOverTemperatureEvent(code, heatingOn, heatingActive, setpoint, temperature);
        const QByteArray stamp = testroot::readFile(stampPath).trimmed();
        QCOMPARE(stamp.size(), 10);
        const QByteArray valveColumn = valve.isEmpty() ? QByteArray(19, ' ') : valve.toLatin1() + "    ";
        QCOMPARE(logLines().value(3), front + valveColumn + stamp);
        QCOMPARE(io.currentValveEpromFilename, valve);
        QVERIFY(testroot::readFile(logPath).endsWith(stamp + "\n"));
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
