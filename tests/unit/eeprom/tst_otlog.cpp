// The over-temperature event log: one-minute spacing, trimming to 100
// events and the fixed-width event line (the copy to the stick: the settings
// page tests).
#include "FileIo.h"
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
    return testroot::readFile(logPath).trimmed().split('\n');
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
    // A `date` that answers the epoch: the log must keep its times without
    // running a shell tool, on the window thread as it is.
    void initTestCase()
    {
        testroot::writeFile(QStringLiteral("/host/bin/date"), "#!/bin/sh\necho 0\n");
        QFile::setPermissions(testroot::path(QStringLiteral("/host/bin/date")), QFile::ReadOwner | QFile::ExeOwner);
        qputenv("PATH", QFile::encodeName(testroot::path(QStringLiteral("/host/bin"))) + ':' + qgetenv("PATH"));
    }

    // As at program start: the log with its header, no last-event time.
    void init()
    {
        reset();
        FileIo().ensureOverTemperatureLog();
    }

    void trim_data()
    {
        QTest::addColumn<int>("events");
        QTest::addColumn<int>("firstKept");
        QTest::newRow("100 events: oldest goes") << 100 << 2;
        QTest::newRow("107 events (older version): 8 go") << 107 << 9;
    }

    // The oldest events go in the one replace that adds the new event.
    void trim()
    {
        QFETCH(int, events);
        QFETCH(int, firstKept);
        writeLog(events);
        FileIo().logOverTemperatureEvent(3, false, false, 0, -9999);
        const QList<QByteArray> lines = logLines();
        QCOMPARE(lines.size(), 103);
        QCOMPARE(lines.mid(0, 3), header.split('\n').mid(0, 3));
        QVERIFY(lines.at(3).endsWith("old-event-" + QByteArray::number(firstKept)));
        QVERIFY(lines.last().startsWith("3 OFF IDLE    0    -9999"));
    }

    void eventLine_data()
    {
        QTest::addColumn<QVector<int>>("args"); // code, heater on, heating, set point, temperature
        QTest::addColumn<qint64>("since"); // seconds since the last event's stamp; 0: none
        QTest::addColumn<QByteArray>("front"); // empty: not logged
        QTest::addColumn<bool>("listed"); // false: the valve listing cannot be written
        const QVector<int> hot{1, 1, 1, 80, 93};
        const QByteArray hotFront("1 ON  HEATING 80   93   ");
        QTest::newRow("2 on idle 80 105") << QVector<int>{2, 1, 0, 80, 105} << 0ll << QByteArray("2 ON  IDLE    80   105  ")
                                          << true;
        QTest::newRow("code 7") << QVector<int>{7, 0, 1, 0, 93} << 0ll << QByteArray("? OFF HEATING 0    93   ") << true;
        QTest::newRow("six digits widen") << QVector<int>{1, 1, 1, 123456, 7} << 0ll
                                          << QByteArray("1 ON  HEATING 1234567    ") << true;
        QTest::newRow("listing unwritable") << hot << 0ll << hotFront << false;
        QTest::newRow("30 s after the last") << hot << 30ll << QByteArray() << true;
        QTest::newRow("60 s after the last") << hot << 60ll << hotFront << true;
        // The clock was set back since, or the stamp is garbage: the log must not go quiet.
        QTest::newRow("an hour before the last") << hot << -3600ll << hotFront << true;
        QTest::newRow("unreadable stamp") << hot << 1ll << hotFront << true;
    }

    // Columns as under the header: code, heater, demand, SP, TMP, valve, time stamp.
    void eventLine()
    {
        QFETCH(QVector<int>, args);
        QFETCH(qint64, since);
        QFETCH(QByteArray, front);
        QFETCH(bool, listed);
        const qint64 now = QDateTime::currentSecsSinceEpoch();
        if (since)
            testroot::writeFile(stampPath, since == 1 ? "garbage\n" : QByteArray::number(now - since) + "\n");
        if (!listed)
            QDir().mkpath(testroot::path(QStringLiteral("/media/data/HHWP")));
        FileIo().logOverTemperatureEvent(args[0], args[1], args[2], args[3], args[4]);
        const QByteArray stamp = testroot::readFile(stampPath).trimmed();
        const QByteArray valveColumn = listed ? slave().toLatin1() + "    " : QByteArray(19, ' ');
        QCOMPARE(testroot::readFile(logPath).mid(header.size()), front.isEmpty() ? QByteArray() : front + valveColumn + stamp + "\n");
        QVERIFY(front.isEmpty() || qAbs(stamp.toLongLong() - now) <= 5);
    }
};

ZUM_TEST_MAIN(TestOtLog)
#include "tst_otlog.moc"
