// The board's sysfs and I2C access (GPIO lines, PWM channel, I2C bus) and
// the board-control object built on it: pin map, analogue channels, outputs.
#include "HwTestSupport.h"

#include "Control.h"
#include "Globals.h"
#include "Gpio.h"
#include "I2cBus.h"
#include "Pwm.h"

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

class TestBoardAccess : public QObject
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

    void gpioInit_data()
    {
        QTest::addColumn<QString>("tree"); // "line", "no line" or "no export file"
        QTest::addColumn<QString>("direction");
        QTest::addColumn<bool>("ok");
        QTest::addColumn<QByteArray>("exported");
        QTest::addColumn<QByteArray>("directionFile");
        QTest::newRow("exported line") << "line" << "out" << true << QByteArray() << QByteArray("out\n");
        // No kernel behind the fake export file, so the line never appears.
        QTest::newRow("missing line") << "no line" << "out" << false << QByteArray("114\n") << QByteArray();
        QTest::newRow("missing export file") << "no export file" << "out" << false << QByteArray() << QByteArray();
        QTest::newRow("invalid direction") << "line" << "OUT" << false << QByteArray() << QByteArray("x\n");
    }

    void gpioInit()
    {
        QFETCH(QString, tree);
        QFETCH(QString, direction);
        QFETCH(bool, ok);
        QFETCH(QByteArray, exported);
        QFETCH(QByteArray, directionFile);
        const QString exportFile = fs.path("/sys/class/gpio/export");
        if (tree == "line")
            testroot::writeFile("/sys/class/gpio/gpio114/direction", "x\n");
        else
            fs.removeGpioLine(114);
        if (tree == "no export file")
            QFile::remove(exportFile);
        QCOMPARE(Gpio().init("Pin144", 114, direction), ok);
        QCOMPARE(fs.exportWrites(), exported);
        QCOMPARE(fs.gpioDirection(114), directionFile);
        // Writing must not conjure up attribute files that sysfs would refuse.
        QCOMPARE(QFile::exists(exportFile), tree != "no export file");
    }

    // An unreadable value reads 0; a write needs the file to be there.
    void gpioValue()
    {
        const QString file = "/sys/class/gpio/gpio507/value";
        Gpio line;
        QVERIFY(line.init("Pin507", 507, "out"));
        for (const QByteArray &text : {QByteArray("1\n"), QByteArray("high\n"), QByteArray()}) {
            if (text.isNull())
                QFile::remove(testroot::path(file));
            else
                testroot::writeFile(file, text);
            QCOMPARE(line.value(), text == "1\n" ? 1 : 0);
            line.setValue(1);
            QCOMPARE(testroot::readFile(file), QByteArray(text.isNull() ? "" : "1\n"));
        }
    }

    void pwm_data()
    {
        QTest::addColumn<int>("chip");
        QTest::addColumn<bool>("channelExists");
        QTest::addColumn<int>("period");
        QTest::addColumn<double>("percent");
        QTest::addColumn<QByteArray>("duty");
        QTest::newRow("half") << 6 << true << 1000000 << 50.0 << QByteArray("500000\n");
        QTest::newRow("cut, not rounded") << 6 << true << 1000000 << 33.33339 << QByteArray("333333\n");
        QTest::newRow("saturates") << 6 << true << 2000000000 << 1000.0 << QByteArray("2147483647\n");
        QTest::newRow("nan") << 6 << true << 1000000 << qQNaN() << QByteArray("0\n");
        QTest::newRow("channel missing") << 6 << false << 1000000 << 10.0 << QByteArray();
        QTest::newRow("chip missing") << 5 << false << 1000000 << 10.0 << QByteArray();
    }

    void pwm()
    {
        QFETCH(int, chip);
        QFETCH(bool, channelExists);
        QFETCH(int, period);
        QFETCH(double, percent);
        QFETCH(QByteArray, duty);
        const QString dir = "/sys/class/pwm/pwmchip6";
        if (channelExists)
            testroot::writeFile(dir + "/pwm0/duty_cycle", "123\n");
        else
            QDir(fs.path(dir + "/pwm0")).removeRecursively();
        Pwm pwm;
        QCOMPARE(pwm.init("PR", chip, period), channelExists);
        // Only a missing channel is exported, and the kernel would create it.
        QCOMPARE(testroot::readFile(dir + "/export"), QByteArray(chip == 6 && !channelExists ? "0\n" : ""));
        QCOMPARE(testroot::readFile(dir + "/pwm0/duty_cycle"), QByteArray(channelExists ? "0\n" : ""));
        QCOMPARE(pwm.setDutyCycle(percent), channelExists);
        QCOMPARE(testroot::readFile(dir + "/pwm0/duty_cycle"), duty);
    }

    void i2cBus()
    {
        QFile::remove(fs.path("/dev/i2c-0"));
        I2cBus missing(0);
        QCOMPARE(missing.open(), 1);
        QVERIFY(missing.descriptor() < 0);
        // A node that is not an I2C adapter opens but refuses the slave address.
        testroot::writeFile("/dev/i2c-0", QByteArray());
        I2cBus bus(0);
        QCOMPARE(bus.open(), 0);
        char buffer[2] = {0, 0};
        QCOMPARE(bus.readFrom(0x68, buffer, 2), 1);
        bus.close();
        QCOMPARE(bus.descriptor(), -1);
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

ZUM_TEST_MAIN(TestBoardAccess)
#include "tst_boardaccess.moc"
