// The simulator's command language: each command line against what it does
// to the simulated root, the driver board and the valve chip, and the error
// a bad line gets instead.
#include "SimBoard.h"
#include "SimControl.h"
#include "SimOneWire.h"
#include "SimSysfs.h"
#include "TestRoot.h"

#include <QDir>
#include <QFileInfo>

using sim::SimControl;

class TestSimControl : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase()
    {
        sim::SimSysfs::build(testroot::root());
        sim::SimOneWire(testroot::root()).addSlave();
        QVERIFY(board.start());
        testroot::writeFile(QStringLiteral("/host/zuvc.ko"), "module");
        testroot::writeFile(QStringLiteral("/host/stick/password.txt"), "secret");
        testroot::writeFile(QStringLiteral("/host/stick/JET_VALVE/zumvalvecontroller"), "program");
    }

    void commands_data()
    {
        QTest::addColumn<QByteArray>("command");
        QTest::addColumn<QByteArray>("answer");  // start of the last answer line
        QTest::addColumn<QString>("what");       // board path, or @sent
        QTest::addColumn<QByteArray>("expected"); // its start afterwards; null: unchanged
        QTest::addColumn<QString>("status");     // part of the status line afterwards

        const QString piezo = sim::SimSysfs::channelPath(2);
        const QString nozzle = sim::SimSysfs::channelPath(5);
        const QString gpio502 = QStringLiteral("/sys/class/gpio/gpio502/value");
        const QString chip = QStringLiteral("/sys/devices/w1_bus_master1/2d-00000a1b2c3d/eeprom");
        const QString operstate = QStringLiteral("/sys/class/net/eth1/operstate");
        const QByteArray erased(16, '\xff');
        const QByteArray flipped = sim::SimOneWire::recordBytes(7, 1).replace(1, 1, "\x01");

        QTest::newRow("piezo over temperature") << QByteArray("temp piezo 86") << QByteArray("ok piezo 86 C = 34591") << piezo << QByteArray("34591\n") << "piezo=86.0C/34591";
        QTest::newRow("nozzle raw count") << QByteArray("temp nozzle raw 65535") << QByteArray("ok") << nozzle << QByteArray("65535\n") << "nozzle=";
        QTest::newRow("nozzle empty file") << QByteArray("temp nozzle empty") << QByteArray("ok") << nozzle << QByteArray("") << "nozzle=empty";
        QTest::newRow("degrees with junk") << QByteArray("temp piezo 86x") << QByteArray("error: temp") << piezo << QByteArray() << "";
        QTest::newRow("raw count too big") << QByteArray("temp piezo raw 65536") << QByteArray("error: temp") << piezo << QByteArray() << "";

        QTest::newRow("db9 opened") << QByteArray("db9 open") << QByteArray("ok") << gpio502 << QByteArray("0\n") << "db9=open";
        QTest::newRow("db9 closed") << QByteArray("db9 close") << QByteArray("ok") << gpio502 << QByteArray("1\n") << "db9=closed";
        QTest::newRow("db9 other") << QByteArray("db9 half") << QByteArray("error: db9") << gpio502 << QByteArray() << "";

        QTest::newRow("board silent") << QByteArray("board silent") << QByteArray("ok") << QString() << QByteArray() << "board=silent";
        QTest::newRow("board split for 3") << QByteArray("board split-echo 3") << QByteArray("ok board split-echo for 3") << QString() << QByteArray() << "board=split-echo";
        QTest::newRow("board zero replies") << QByteArray("board wrong-echo 0") << QByteArray("error: board") << QString() << QByteArray() << "board=split-echo";
        QTest::newRow("board normal") << QByteArray("board normal") << QByteArray("ok") << QString() << QByteArray() << "board=normal";
        QTest::newRow("count report") << QByteArray("board report 42") << QByteArray("ok") << "@sent" << sim::countReport(42) << "";
        QTest::newRow("raw line, spaces kept") << QByteArray("board send P17:  x  7") << QByteArray("ok") << "@sent" << QByteArray("P17:  x  7\r\n") << "";

        QTest::newRow("good chip") << QByteArray("eeprom plug good 123456") << QByteArray("ok") << chip << sim::SimOneWire::recordBytes(123456, 1) << "eeprom=2d-00000a1b2c3d:good(123456)";
        QTest::newRow("flipped chip") << QByteArray("eeprom plug flipped 7") << QByteArray("ok") << chip << flipped << ":bad-crc";
        QTest::newRow("blank chip") << QByteArray("eeprom plug blank") << QByteArray("ok") << chip << erased << ":blank";
        QTest::newRow("swapped legacy chip") << QByteArray("eeprom plug legacy 42 00000a1b2c3e") << QByteArray("ok") << chip << QByteArray("absent") << "eeprom=2d-00000a1b2c3e:legacy(42)";
        QTest::newRow("count too big") << QByteArray("eeprom plug good 2147483648") << QByteArray("error: eeprom") << QString() << QByteArray() << ":legacy(42)";
        QTest::newRow("chip unplugged") << QByteArray("eeprom unplug") << QByteArray("ok") << QString() << QByteArray() << "eeprom=none";

        QTest::newRow("cable pulled") << QByteArray("net pull") << QByteArray("ok") << "/sim/ifconfig.out" << QByteArray("eth1      Link encap:Ethernet  HWaddr 02:00:00:00:00:01\n          UP ") << "net=down";
        QTest::newRow("cable in, address") << QByteArray("net plug 192.0.2.20") << QByteArray("ok") << "/sim/ifconfig.out" << QByteArray("eth1      Link encap:Ethernet  HWaddr 02:00:00:00:00:01\n          inet addr:192.0.2.20 ") << "net=up";
        QTest::newRow("bad address") << QByteArray("net plug 1.2.3.256") << QByteArray("error: net") << operstate << QByteArray() << "net=up";

        QTest::newRow("stick with a file") << QByteArray("usb insert JET_VALVE/zuvc.ko=%H/zuvc.ko") << QByteArray("ok stick in with 1 files") << "/media/usb/JET_VALVE/zuvc.ko" << QByteArray("module") << "usb=in(1 files)";
        QTest::newRow("mountable") << QByteArray("usb insert %H/stick") << QByteArray("ok stick in with 2 files") << "/sim/mountable" << QByteArray("/dev/sda1\n") << "usb=in(2 files)";
        QTest::newRow("path off the stick") << QByteArray("usb insert ../x=%H/zuvc.ko") << QByteArray("error: usb") << "/media/usb/password.txt" << QByteArray() << "usb=in(2 files)";
        QTest::newRow("stick pulled") << QByteArray("usb remove") << QByteArray("ok") << "/dev/sda1" << QByteArray("absent") << "usb=out";

        QTest::newRow("unknown command") << QByteArray("reboot") << QByteArray("error: unknown command \"reboot\"") << QString() << QByteArray() << "";
        QTest::newRow("line too long") << QByteArray(SimControl::maxLineLength + 1, 'a') << QByteArray("error: line longer") << QString() << QByteArray() << "";
        QTest::newRow("control character") << QByteArray("db9 open\x1b") << QByteArray("error: control") << gpio502 << QByteArray() << "";
    }

    void commands()
    {
        QFETCH(QByteArray, command);
        QFETCH(QByteArray, answer);
        QFETCH(QString, what);
        QFETCH(QByteArray, expected);
        QFETCH(QString, status);

        SimControl control(testroot::root(), &board);
        command.replace("%H", QFile::encodeName(testroot::path(QStringLiteral("/host"))));
        const QByteArray before = what.isEmpty() ? QByteArray() : effect(what);
        const QByteArray reply = control.execute(command);
        QVERIFY2(reply.endsWith('\n') && reply.count('\n') == 1, reply.constData());
        QVERIFY2(reply.startsWith(answer), reply.constData());
        if (!what.isEmpty() && expected.isNull())
            QCOMPARE(effect(what), before);
        else if (what == QLatin1String("@sent"))
            QTRY_VERIFY2(effect(what).endsWith(expected), effect(what).constData());
        else if (!what.isEmpty())
            QVERIFY2(effect(what).startsWith(expected), effect(what).toHex().constData());
        const QByteArray line = control.execute("status");
        QVERIFY2(line.startsWith("ok ") && line.contains(status.toUtf8()), line.constData());
    }

private:
    // A file's bytes, "absent" when there is none, or what the board sent.
    QByteArray effect(const QString &what)
    {
        if (what == QLatin1String("@sent"))
            return board.sentBytes();
        const QFileInfo info(testroot::path(what));
        return info.exists() ? testroot::readFile(what) : QByteArray("absent");
    }

    sim::SimBoard board {testroot::root()};
};

ZUM_TEST_MAIN(TestSimControl)
#include "tst_simcontrol.moc"
