#include "HwTestSupport.h"

#include "Control.h"
#include "Globals.h"

#include <QFile>
#include <QRegularExpression>

namespace {

const QByteArray kUntouched = "7\n";

struct PinRow {
    const char *name;
    int gpio;
    const char *direction;
    const char *level; // nullptr: configured only
};

const PinRow kPinMap[] = {
    {"Pin144", 114, "out", "1\n"},   {"Pin497", 497, "out", "0\n"},   {"Pin498", 498, "out", "0\n"},
    {"Pin499", 499, "out", "1\n"},   {"Pin505", 505, "out", "1\n"},   {"Pin508", 508, "out", "0\n"},
    {"Pin506", 506, "out", "0\n"},   {"Pin507", 507, "out", "0\n"},   {"FootSwitch", 41, "in", nullptr},
    {"M1_nFAULT", 133, "in", nullptr}, {"M1_MODE2", 120, "out", nullptr}, {"M2_nFAULT", 137, "in", nullptr},
    {"M2_nSLEEP", 12, "out", nullptr}, {"M2_MODE2", 10, "out", nullptr},
};

} // namespace

class TestControl : public QObject
{
    Q_OBJECT

    sim::SimSysfs fs{testroot::root()};

private slots:
    void init()
    {
        fs = freshSysfs();
        QFile::remove(testroot::path(Control::debugLogPath));
        // Marks every line so that any write by the console shows.
        for (const PinRow &pin : kPinMap) {
            testroot::writeFile(QString("/sys/class/gpio/gpio%1/value").arg(pin.gpio), kUntouched);
            testroot::writeFile(QString("/sys/class/gpio/gpio%1/direction").arg(pin.gpio), "none\n");
        }
    }

    void boardInit_data()
    {
        QTest::addColumn<QString>("machine");
        QTest::newRow("board") << "arm";
        QTest::newRow("desktop") << "x86_64";
    }

    // The board sets the pin map up; any other machine touches no sysfs file.
    void boardInit()
    {
        QFETCH(QString, machine);
        const bool board = machine == "arm";
        testroot::writeFile("/media/data/Control.log.1", "older\n");
        testroot::writeFile("/media/data/keep.log", "kept\n");
        Control control;
        control.init(machine);
        QCOMPARE(control.desktopMode(), !board);
        for (const PinRow &pin : kPinMap) {
            QCOMPARE(fs.gpioValue(pin.gpio), board && pin.level ? QByteArray(pin.level) : kUntouched);
            QCOMPARE(fs.gpioDirection(pin.gpio), board ? QByteArray(pin.direction) + '\n' : QByteArray("none\n"));
        }
        QCOMPARE(fs.exportWrites(), QByteArray());
        QCOMPARE(testroot::readFile("/sys/class/pwm/pwmchip6/pwm0/enable"), QByteArray(board ? "1\n" : "0\n"));
        QCOMPARE(testroot::readFile("/sys/class/pwm/pwmchip6/pwm0/period"), QByteArray(board ? "1000000\n" : "0\n"));
        QVERIFY(!QFile::exists(testroot::path("/media/data/Control.log.1")));
        QVERIFY(QFile::exists(testroot::path("/media/data/keep.log")));
    }

    // Which converter channel each reading comes from.
    void analogueReadings_data()
    {
        QTest::addColumn<QByteArray>("slot");
        QTest::addColumn<int>("channel");
        QTest::newRow("piezo temp") << QByteArray("getPiezoTemp") << 2;
        QTest::newRow("piezo volt") << QByteArray("getPiezoVolt") << 0;
        QTest::newRow("boost volt") << QByteArray("getBootVolt") << 6;
        QTest::newRow("pcb temp") << QByteArray("getPCBTemp") << 9;
        QTest::newRow("nozzle temp") << QByteArray("getNozzleTemp") << 5;
        QTest::newRow("piezo capture") << QByteArray("readAdcPiezoMaxValue") << -1;
    }

    void analogueReadings()
    {
        QFETCH(QByteArray, slot);
        QFETCH(int, channel);
        const QString file = channel >= 0 ? sim::SimSysfs::channelPath(channel)
                                          : QString(Control::zuvcDir) + "adc_piezo_average";
        testroot::writeFile(file, "12345\n");
        Control board;
        board.init("arm");
        int value = -1;
        QMetaObject::invokeMethod(&board, slot.constData(), Qt::DirectConnection, Q_RETURN_ARG(int, value));
        QCOMPARE(value, 12345);
    }

    void outputs_data()
    {
        QTest::addColumn<QByteArray>("slot");
        QTest::addColumn<int>("gpio");
        QTest::newRow("nozzle heater") << QByteArray("setNozzleHeater") << 507;
        QTest::newRow("piezo air") << QByteArray("turnPiezoAir") << 506;
        QTest::newRow("DB15 any error") << QByteArray("setAnyErrorOnDB15") << 497;
        QTest::newRow("DB15 nozzle at target") << QByteArray("setNozzleHeaterTargetOnDB15") << 499;
        QTest::newRow("DB15 piezo exceeded") << QByteArray("setPiezoTempExceedStatusOnDB15") << 498;
    }

    void outputs()
    {
        QFETCH(QByteArray, slot);
        QFETCH(int, gpio);
        Control control;
        control.init("arm");
        heaterisON.store(0);
        QVERIFY(QMetaObject::invokeMethod(&control, slot.constData(), Qt::DirectConnection, Q_ARG(bool, true)));
        QCOMPARE(fs.gpioValue(gpio), QByteArray("1\n"));
        QCOMPARE(heaterisON.load(), gpio == 507 ? 1 : 0);
        QVERIFY(QMetaObject::invokeMethod(&control, slot.constData(), Qt::DirectConnection, Q_ARG(bool, false)));
        QCOMPARE(fs.gpioValue(gpio), QByteArray("0\n"));
        QCOMPARE(heaterisON.load(), 0);
    }

    // Acts and logs only on a change: one record for each.
    void shutDownServicesOnlyOnTransitions()
    {
        Control control;
        control.init("arm");
        control.shutDownServices(false); // already released after start-up
        control.shutDownServices(true);
        QCOMPARE(fs.gpioValue(508), QByteArray("1\n"));
        control.shutDownServices(true);
        control.shutDownServices(false);
        control.shutDownServices(false);
        QCOMPARE(fs.gpioValue(508), QByteArray("0\n"));
        const QString time = "Time :\\d\\d:\\d\\d:\\d\\d \\( ms : -?\\d+ \\)\n";
        const QRegularExpression records("^-{54}\n" + time + "shutDownServices -  ON\n-{54}\n" + time
                                         + "shutDownServices -  OFF\n$");
        const QString written = QString::fromLatin1(testroot::readFile(Control::debugLogPath));
        QVERIFY2(records.match(written).hasMatch(), qPrintable(written));
    }

    // An unreadable input must not stop dispensing on its own.
    void dispensingControl()
    {
        Control control;
        control.init("arm");
        fs.setDispenseControl(0);
        QCOMPARE(control.getDispensingCtrlStatus(), 0);
        fs.removeGpioLine(502);
        QCOMPARE(control.getDispensingCtrlStatus(), 1);
        QCOMPARE(control.dispensingStatus(), 0);
    }

    void appFolder()
    {
        Control control;
        // The folder name goes through the shell for chmod.
        const QString dir = "/media/data/app dir's";
        QVERIFY(control.createAppDir(dir));
        QCOMPARE(int(QFileInfo(testroot::path(dir)).permissions() & QFile::WriteOther), int(QFile::WriteOther));
        testroot::writeFile("/media/data/plain", "x");
        QVERIFY(!control.createAppDir("/media/data/plain/sub"));
    }
};

ZUM_TEST_MAIN(TestControl)
#include "tst_control.moc"
