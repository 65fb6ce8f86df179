#include "HwTestSupport.h"

#include "Globals.h"
#include "Gpio.h"
#include "I2cBus.h"
#include "Pwm.h"

#include <QFile>
#include <QTemporaryFile>

#include <cmath>
#include <cstdio>
#include <limits>
#include <unistd.h>

class TestSysfsAccess : public QObject
{
    Q_OBJECT

private:
    sim::SimSysfs fs{testroot::root()};

private slots:
    void init()
    {
        fs = freshSysfs();
        cDebug = 0;
        Gpio::resetLastLoggedValue();
    }

    void gpioInit_data()
    {
        QTest::addColumn<bool>("lineExists");
        QTest::addColumn<QString>("direction");
        QTest::addColumn<bool>("result");
        QTest::addColumn<QByteArray>("exported");
        QTest::addColumn<QByteArray>("directionFile");
        QTest::addColumn<QString>("message");

        QTest::newRow("exported line, out") << true << "out" << true << QByteArray() << QByteArray("out\n") << QString();
        QTest::newRow("exported line, in") << true << "in" << true << QByteArray() << QByteArray("in\n") << QString();
        // No kernel behind the fake export file, so the line never appears.
        QTest::newRow("missing line") << false << "out" << false << QByteArray("114\n") << QByteArray()
                                      << "Error export gpio  114";
        QTest::newRow("capitals") << false << "OUT" << false << QByteArray() << QByteArray()
                                  << "Invalid direction:  \"OUT\"";
        QTest::newRow("empty direction") << true << "" << false << QByteArray() << QByteArray("x\n")
                                         << "Invalid direction:  \"\"";
    }

    void gpioInit()
    {
        QFETCH(bool, lineExists);
        QFETCH(QString, direction);
        QFETCH(bool, result);
        QFETCH(QByteArray, exported);
        QFETCH(QByteArray, directionFile);
        QFETCH(QString, message);

        if (lineExists)
            testroot::writeFile("/sys/class/gpio/gpio114/direction", "x\n");
        else
            fs.removeGpioLine(114);

        MessageLog log;
        Gpio line;
        QCOMPARE(line.init("Pin144", 114, direction), result);
        QCOMPARE(fs.exportWrites(), exported);
        QCOMPARE(fs.gpioDirection(114), directionFile);
        if (message.isEmpty())
            QVERIFY2(log.all().isEmpty(), qPrintable(log.all().join('|')));
        else
            QCOMPARE(log.all().value(0), message);
    }

    void gpioMissingExportFile()
    {
        fs.removeGpioLine(114);
        QFile::remove(fs.path("/sys/class/gpio/export"));
        MessageLog log;
        Gpio line;
        QVERIFY(!line.init("Pin144", 114, "out"));
        QCOMPARE(log.all(), QStringList({"Error opening /sys/class/gpio/export", "Error export gpio  114"}));
        // Writing must not conjure up attribute files that sysfs would refuse.
        QVERIFY(!QFile::exists(fs.path("/sys/class/gpio/export")));
    }

    void gpioRead_data()
    {
        QTest::addColumn<QByteArray>("text");
        QTest::addColumn<int>("level");
        QTest::newRow("one") << QByteArray("1\n") << 1;
        QTest::newRow("zero") << QByteArray("0\n") << 0;
        QTest::newRow("no newline, blanks") << QByteArray(" 1 ") << 1;
        QTest::newRow("empty") << QByteArray() << 0;
        QTest::newRow("not a number") << QByteArray("high\n") << 0;
    }

    void gpioRead()
    {
        QFETCH(QByteArray, text);
        QFETCH(int, level);
        Gpio line;
        QVERIFY(line.init("FootSwitch", 41, "in"));
        testroot::writeFile("/sys/class/gpio/gpio41/value", text);
        QCOMPARE(line.value(), level);
    }

    void gpioAccessWithoutFile()
    {
        Gpio line;
        QVERIFY(line.init("Pin507", 507, "out"));
        QFile::remove(fs.path("/sys/class/gpio/gpio507/value"));
        MessageLog log;
        QCOMPARE(line.value(), 0);
        line.setValue(1);
        QCOMPARE(log.all(), QStringList({
            "Error opening gpio: \"Pin507\" file: \"/sys/class/gpio/gpio507/value\"",
            "Error opening gpio file: \"/sys/class/gpio/gpio507/value\"",
        }));
        QVERIFY(!QFile::exists(fs.path("/sys/class/gpio/gpio507/value")));

    }

    // The last logged reading is shared by all lines: -D shows changes only.
    void gpioDebugLines()
    {
        Gpio a;
        Gpio b;
        QVERIFY(a.init("A", 497, "out"));
        QVERIFY(b.init("B", 498, "out"));
        testroot::writeFile("/sys/class/gpio/gpio497/value", "1\n");
        testroot::writeFile("/sys/class/gpio/gpio498/value", "1\n");

        MessageLog log;
        a.value();
        b.value();
        a.setValue(1);
        QVERIFY2(log.all().isEmpty(), "nothing is logged without -D");

        cDebug = 1;
        a.value();
        b.value();
        testroot::writeFile("/sys/class/gpio/gpio497/value", "0\n");
        a.value();
        b.value();
        b.value();
        a.setValue(1);
        a.setValue(1);
        QCOMPARE(log.all(), QStringList({
            "GPIO \"A\" reading 1",
            "GPIO \"A\" reading 0",
            "GPIO \"B\" reading 1",
            "GPIO \"A\" setting 1",
            "GPIO \"A\" setting 1",
        }));
        QCOMPARE(Gpio::lastLoggedValue(), 1);
    }

    void pwmInit_data()
    {
        QTest::addColumn<int>("chip");
        QTest::addColumn<bool>("channelExists");
        QTest::addColumn<bool>("result");
        QTest::addColumn<QByteArray>("exported");
        QTest::addColumn<QStringList>("messages");
        QTest::newRow("channel present") << 6 << true << true << QByteArray() << QStringList();
        QTest::newRow("channel missing") << 6 << false << false << QByteArray("0\n")
                                         << QStringList({"Error enabling pwm:  \"PR\""});
        QTest::newRow("chip missing") << 5 << false << false << QByteArray()
                                      << QStringList({"Error exporting pwm:  \"PR\""});
    }

    void pwmInit()
    {
        QFETCH(int, chip);
        QFETCH(bool, channelExists);
        QFETCH(bool, result);
        QFETCH(QByteArray, exported);
        QFETCH(QStringList, messages);
        const QString dir = "/sys/class/pwm/pwmchip6";
        if (!channelExists)
            QDir(fs.path(dir + "/pwm0")).removeRecursively();
        else
            testroot::writeFile(dir + "/pwm0/duty_cycle", "123\n");

        MessageLog log;
        Pwm pwm;
        QCOMPARE(pwm.init("PR", chip, 1000000), result);
        QCOMPARE(log.all(), messages);
        QCOMPARE(testroot::readFile(dir + "/export"), exported);
        if (channelExists) {
            QCOMPARE(testroot::readFile(dir + "/pwm0/enable"), QByteArray("1\n"));
            QCOMPARE(testroot::readFile(dir + "/pwm0/period"), QByteArray("1000000\n"));
            QCOMPARE(testroot::readFile(dir + "/pwm0/duty_cycle"), QByteArray("0\n"));
        }
        QCOMPARE(pwm.setDutyCycle(10), result);
    }

    void pwmDuty_data()
    {
        QTest::addColumn<int>("period");
        QTest::addColumn<double>("percent");
        QTest::addColumn<QByteArray>("written");
        QTest::newRow("half") << 1000000 << 50.0 << QByteArray("500000\n");
        QTest::newRow("cut, not rounded") << 1000000 << 33.33339 << QByteArray("333333\n");
        QTest::newRow("cut below one") << 3 << 50.0 << QByteArray("1\n");
        QTest::newRow("full") << 1000000 << 100.0 << QByteArray("1000000\n");
        QTest::newRow("negative cut toward zero") << 1000 << -0.15 << QByteArray("-1\n");
        QTest::newRow("saturates") << 2000000000 << 1000.0 << QByteArray("2147483647\n");
        QTest::newRow("nan") << 1000000 << std::numeric_limits<double>::quiet_NaN() << QByteArray("0\n");
    }

    void pwmDuty()
    {
        QFETCH(int, period);
        QFETCH(double, percent);
        QFETCH(QByteArray, written);
        Pwm pwm;
        QVERIFY(pwm.init("PR", 6, period));
        QVERIFY(pwm.setDutyCycle(percent));
        QCOMPARE(testroot::readFile("/sys/class/pwm/pwmchip6/pwm0/duty_cycle"), written);
    }

    void i2cMissingBus()
    {
        QFile::remove(fs.path("/dev/i2c-0"));
        I2cBus bus(0);
        QString printed;
        const int result = captureStdout(&printed, [&] { return bus.open(); });
        QCOMPARE(result, 1);
        QCOMPARE(printed, QString("Error, could not open /dev/i2c-0\n"));
        QVERIFY(bus.descriptor() < 0);
    }

    // A node that is not an I2C adapter refuses the slave address.
    void i2cSlaveNotSelectable()
    {
        testroot::writeFile("/dev/i2c-0", QByteArray());
        I2cBus bus(0);
        QCOMPARE(bus.open(), 0);
        QVERIFY(bus.descriptor() >= 0);
        char buffer[2] = {0, 0};
        QString printed;
        QCOMPARE(captureStdout(&printed, [&] { return bus.writeTo(0x68, buffer, 2); }), 1);
        QCOMPARE(captureStdout(&printed, [&] { return bus.readFrom(0x68, buffer, 2); }), 1);
        QCOMPARE(printed, QString("Error, I2C_SLAVE ioctl error\n"));
        bus.close();
        QCOMPARE(bus.descriptor(), -1);
    }

private:
    template<typename F>
    static int captureStdout(QString *printed, F call)
    {
        std::fflush(stdout);
        QTemporaryFile sink;
        if (!sink.open())
            return -1000;
        const int saved = ::dup(STDOUT_FILENO);
        ::dup2(sink.handle(), STDOUT_FILENO);
        const int result = call();
        std::fflush(stdout);
        ::dup2(saved, STDOUT_FILENO);
        ::close(saved);
        sink.seek(0);
        *printed = QString::fromLocal8Bit(sink.readAll());
        return result;
    }
};

ZUM_TEST_MAIN(TestSysfsAccess)
#include "tst_sysfsaccess.moc"
