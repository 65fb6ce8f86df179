// The valve's lifetime count over events that meet: valves swapped or taken
// off between writes, re-reads of the same chip, counts beyond the record,
// a console without a chip that keeps looking for one.
#include "EpromRecord.h"
#include "FileIo.h"
#include "ValveCount.h"
#include "ValveFixture.h"

#include <QSignalSpy>

#include <functional>

#include <sys/stat.h>
#include <utime.h>

using namespace valvefixture;

namespace {

const QString valveB = QStringLiteral("2d-0000000000bb");

// The counts a valve's chip and mirror hold; -1: none, or not intact.
qint64 chipCount(const QString &name)
{
    if (!bus().slaves().contains(name))
        return -1;
    const EpromRecord record = EpromRecord::fromBytes(reinterpret_cast<const unsigned char *>(bus().eeprom(name).constData()));
    return record.crcValid() ? qint64(record.cycleCount) : -1;
}

qint64 mirrorCount(const QString &name)
{
    const RecordText text = RecordText::parse(QString::fromLatin1(testroot::readFile("/media/data/" + name + "-1")));
    return text.intact ? text.count : -1;
}

// Files are aged to 1000 s after the epoch: a later write shows in the time.
bool aged(const char *boardPath, bool age = false)
{
    const QByteArray path = QFile::encodeName(testroot::path(QLatin1String(boardPath)));
    const utimbuf old{1000, 1000};
    struct stat st {};
    return (!age || utime(path.constData(), &old) == 0) && stat(path.constData(), &st) == 0 && st.st_mtime == 1000;
}

} // namespace

class TestValveCount : public QObject
{
    Q_OBJECT

private slots:
    void init() { reset(); }

    // Steps: "read", "add N", "reboot" (write what is pending), "chip N" (the
    // fitted chip holds N), "swap N" (valve B holding N replaces A), "off",
    // "on N" (A taken off, back alone holding N), "refuse" (A's chip takes no
    // writes), "retried" (a retried read found it), "query" (the remote link
    // reads the chip), "look" (the count is shown), "looks N" (N retried
    // reads found none), "age", "aged" (the listing files are marked old, and
    // are still), "next N" (the console after a restart reads a total of N).
    // Afterwards: the counts of A's and B's chips and A's mirror (-1: none),
    // the total and its chip.
    void count_data()
    {
        QTest::addColumn<QStringList>("steps");
        QTest::addColumn<QList<qint64>>("after"); // chip A, chip B, mirror A, total
        QTest::addColumn<QString>("device");
        const QString a = slave();
        const auto row = [](const char *tag, const char *steps, QList<qint64> after, const QString &device) {
            QTest::newRow(tag) << QString::fromLatin1(steps).split(QLatin1Char(',')) << after << device;
        };
        row("19999 writes nothing", "chip 12345,read,add 19000,add 999", {12345, -1, 12345, 32344}, a);
        row("20000 written", "chip 12345,read,add 19000,add 1000", {32345, -1, 32345, 32345}, a);
        // Another valve fitted between writes: the old one's cycles go to its
        // mirror, the new one starts from its own count plus what it dispensed.
        row("swap before the write", "chip 100000,read,add 15000,swap 7,add 5000", {-1, 7, 115000, 5007}, valveB);
        row("swap before a reboot", "chip 100000,read,add 5,swap 7,reboot", {-1, 7, 100005, 7}, valveB);
        row("swap while off", "chip 100000,read,off,add 20,swap 7,read", {-1, 7, 100020, 7}, valveB);
        // A count looked at after a swap, or a report against a capped old valve, is the new one's.
        row("swap seen when looked at", "chip 100000,read,add 5,swap 7,look", {-1, 7, 100005, 7}, valveB);
        row("swap after a capped valve", "chip 12345,read,add 9999999999,swap 5,add 25000", {-1, 25005, INT32_MAX, 25005},
            valveB);
        row("back with its parked cycles", "chip 100000,read,add 15000,swap 7,add 5000,on 100000,read",
            {115000, -1, 115000, 115000}, a);
        row("parked cycles survive a remote query", "chip 100000,read,add 15000,swap 7,add 5000,on 100000,query,read",
            {115000, -1, 115000, 115000}, a);
        // The same valve read again keeps the larger count.
        row("re-read keeps the held count", "chip 100000,read,add 19999,read", {119999, -1, 119999, 119999}, a);
        row("re-read of a higher chip", "chip 100000,read,add 10,chip 200000,read", {200000, -1, 200000, 200000}, a);
        row("off at the write, back later", "chip 100000,read,add 19999,off,add 5,on 100000,retried",
            {120004, -1, 120004, 120004}, a);
        // Cycles the chip cannot take before a reboot wait in the mirror.
        row("off at a reboot", "chip 100000,read,add 5,off,reboot,on 100000,next 100005", {100005, -1, 100005, 100005}, a);
        row("refused at a reboot", "chip 100000,read,add 5,refuse,reboot,on 100000,next 100005",
            {100005, -1, 100005, 100005}, a);
        row("counted before the first read", "off,read,add 25000,on 100,retried", {25100, -1, 25100, 25100}, a);
        // A console without a chip looks every 10 s, all day: the looks
        // rewrite nothing (the first leaves the name seen last).
        row("no chip: looks write nothing", "off,read,read,age,looks 4,aged", {-1, -1, -1, 0}, QString());
        // Ten digits stay whole, the total stops at what the record holds.
        row("ten-digit report", "chip 12345,read,add 9999999999", {INT32_MAX, -1, INT32_MAX, INT32_MAX}, a);
    }

    void count()
    {
        QFETCH(QStringList, steps);
        QFETCH(QList<qint64>, after);
        QFETCH(QString, device);
        ValveCount valve;
        valve.retryTimer().setInterval(10);
        QSignalSpy looks(&valve.retryTimer(), &QTimer::timeout);
        const char *listing = "/media/data/HHWP", *lastSeen = "/media/data/lastHHWP";
        QString fitted = slave();
        const auto fit = [&](const QString &name, qint64 n) {
            bus().removeSlave(slave()), bus().removeSlave(valveB);
            bus().addSlave(fitted = name);
            bus().putRecord(uint32_t(n), 1, name);
        };
        const QMap<QString, std::function<void(qint64)>> act{
            {"read", [&](qint64) { valve.readValve(); }},
            {"look", [&](qint64) { valve.followFittedValve(); }},
            {"add", [&](qint64 n) { valve.addCycles(double(n)); }},
            {"reboot", [&](qint64) { valve.writePending(); }},
            {"query", [&](qint64) { FileIo().jetValveReadEPROM(); }},
            {"chip", [&](qint64 n) { bus().putRecord(uint32_t(n), 1, fitted); }},
            {"off", [&](qint64) { bus().removeSlave(slave()); }},
            {"refuse", [&](qint64) { bus().replaceEeprom("/dev/full"); }},
            {"next", [&](qint64 n) { ValveCount next; next.readValve(); QCOMPARE(next.total(), n); }},
            {"swap", [&](qint64 n) { fit(valveB, n); }},
            {"on", [&](qint64 n) { fit(slave(), n); }},
            {"retried", [&](qint64) { QVERIFY(valve.retryTimer().isActive()); QTRY_VERIFY(!valve.retryTimer().isActive()); }},
            {"looks", [&](qint64 n) { looks.clear(); QTRY_VERIFY(looks.size() >= n); }},
            {"age", [&](qint64) { QVERIFY(aged(listing, true) && aged(lastSeen, true)); }},
            {"aged", [&](qint64) { QVERIFY(aged(listing) && aged(lastSeen)); }},
        };
        for (const QString &step : steps)
            act[step.section(' ', 0, 0)](step.section(' ', 1).toLongLong());
        QCOMPARE((QList<qint64>{chipCount(slave()), chipCount(valveB), mirrorCount(slave()), valve.total()}), after);
        QCOMPARE(valve.deviceId(), device);
    }
};

ZUM_TEST_MAIN(TestValveCount)
#include "tst_valvecount.moc"
