#include "HwTestSupport.h"

#include "Globals.h"
#include "Gpio.h"
#include "I2cBus.h"
#include "Pwm.h"

#include <QFile>
#include <QTemporaryFile>

#include <cstdio>
#include <unistd.h>

namespace {

// The I2C classes print their errors on stdout: run `call` with it captured.
template<typename F>
int captureStdout(QString *printed, F call)
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
    *printed += QString::fromLocal8Bit(sink.readAll());
    return result;
}

} // namespace

class TestSysfsAccess : public QObject
{
    Q_OBJECT

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
        QTest::addColumn<QString>("tree"); // "line", "no line" or "no export file"
        QTest::addColumn<QString>("direction");
        QTest::addColumn<QByteArray>("exported");
        QTest::addColumn<QByteArray>("directionFile");
        QTest::addColumn<QStringList>("messages"); // none: init succeeds

        QTest::newRow("exported line") << "line" << "out" << QByteArray() << QByteArray("out\n") << QStringList();
        // No kernel behind the fake export file, so the line never appears.
        QTest::newRow("missing line") << "no line" << "out" << QByteArray("114\n") << QByteArray()
                                      << QStringList({"Error export gpio  114"});
        QTest::newRow("missing export file") << "no export file" << "out" << QByteArray() << QByteArray()
            << QStringList({"Error opening /sys/class/gpio/export", "Error export gpio  114"});
        QTest::newRow("invalid direction") << "line" << "OUT" << QByteArray() << QByteArray("x\n")
                                           << QStringList({"Invalid direction:  \"OUT\""});
    }

    void gpioInit()
    {
        QFETCH(QString, tree);
        QFETCH(QString, direction);
        QFETCH(QByteArray, exported);
        QFETCH(QByteArray, directionFile);
        QFETCH(QStringList, messages);
        const QString exportFile = fs.path("/sys/class/gpio/export");
        if (tree == "line")
            testroot::writeFile("/sys/class/gpio/gpio114/direction", "x\n");
        else
            fs.removeGpioLine(114);
        if (tree == "no export file")
            QFile::remove(exportFile);

        MessageLog log;
        Gpio line;
        QCOMPARE(line.init("Pin144", 114, direction), messages.isEmpty());
        QCOMPARE(log.all(), messages);
        QCOMPARE(fs.exportWrites(), exported);
        QCOMPARE(fs.gpioDirection(114), directionFile);
        // Writing must not conjure up attribute files that sysfs would refuse.
        QCOMPARE(QFile::exists(exportFile), tree != "no export file");
    }

    void gpioValue_data()
    {
        QTest::addColumn<QByteArray>("text"); // null: no value file
        QTest::addColumn<int>("level");
        QTest::newRow("one") << QByteArray("1\n") << 1;
        QTest::newRow("empty") << QByteArray("") << 0;
        QTest::newRow("not a number") << QByteArray("high\n") << 0;
        QTest::newRow("missing file") << QByteArray() << 0;
    }

    void gpioValue()
    {
        QFETCH(QByteArray, text);
        QFETCH(int, level);
        const QString file = "/sys/class/gpio/gpio507/value";
        Gpio line;
        QVERIFY(line.init("Pin507", 507, "out"));
        if (text.isNull())
            QFile::remove(testroot::path(file));
        else
            testroot::writeFile(file, text);
        MessageLog log;
        QCOMPARE(line.value(), level);
        line.setValue(1);
        QCOMPARE(testroot::readFile(file), QByteArray(text.isNull() ? "" : "1\n"));
        if (text.isNull())
            QCOMPARE(log.all(), QStringList({"Error opening gpio: \"Pin507\" file: \"" + file + "\"",
                                             "Error opening gpio file: \"" + file + "\""}));
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
        a.setValue(1);
        cDebug = 1;
        a.value();
        b.value();
        testroot::writeFile("/sys/class/gpio/gpio497/value", "0\n");
        a.value();
        b.value();
        a.setValue(1);
        QCOMPARE(log.all(), QStringList({"GPIO \"A\" reading 1", "GPIO \"A\" reading 0", "GPIO \"B\" reading 1",
                                         "GPIO \"A\" setting 1"}));
    }

    void pwm_data()
    {
        QTest::addColumn<int>("chip");
        QTest::addColumn<bool>("channelExists");
        QTest::addColumn<int>("period");
        QTest::addColumn<double>("percent");
        QTest::addColumn<QByteArray>("duty");
        QTest::addColumn<QStringList>("messages"); // none: the channel works
        QTest::newRow("half") << 6 << true << 1000000 << 50.0 << QByteArray("500000\n") << QStringList();
        QTest::newRow("cut, not rounded") << 6 << true << 1000000 << 33.33339 << QByteArray("333333\n") << QStringList();
        QTest::newRow("saturates") << 6 << true << 2000000000 << 1000.0 << QByteArray("2147483647\n") << QStringList();
        QTest::newRow("nan") << 6 << true << 1000000 << qQNaN() << QByteArray("0\n") << QStringList();
        QTest::newRow("channel missing") << 6 << false << 1000000 << 10.0 << QByteArray()
                                         << QStringList({"Error enabling pwm:  \"PR\"", "Error setting pwm duty cycle:  \"PR\""});
        QTest::newRow("chip missing") << 5 << false << 1000000 << 10.0 << QByteArray()
                                      << QStringList({"Error exporting pwm:  \"PR\"", "Error setting pwm duty cycle:  \"PR\""});
    }

    void pwm()
    {
        QFETCH(int, chip);
        QFETCH(bool, channelExists);
        QFETCH(int, period);
        QFETCH(double, percent);
        QFETCH(QByteArray, duty);
        QFETCH(QStringList, messages);
        const QString dir = "/sys/class/pwm/pwmchip6";
        if (channelExists)
            testroot::writeFile(dir + "/pwm0/duty_cycle", "123\n");
        else
            QDir(fs.path(dir + "/pwm0")).removeRecursively();

        MessageLog log;
        Pwm pwm;
        QCOMPARE(pwm.init("PR", chip, period), channelExists);
        // Only a missing channel is exported, and the kernel would create it.
        QCOMPARE(testroot::readFile(dir + "/export"), QByteArray(chip == 6 && !channelExists ? "0\n" : ""));
        QCOMPARE(testroot::readFile(dir + "/pwm0/duty_cycle"), QByteArray(channelExists ? "0\n" : ""));
        QCOMPARE(pwm.setDutyCycle(percent), channelExists);
        QCOMPARE(testroot::readFile(dir + "/pwm0/duty_cycle"), duty);
        QCOMPARE(log.all(), messages);
    }

    void i2cBus()
    {
        QString printed;
        QFile::remove(fs.path("/dev/i2c-0"));
        I2cBus missing(0);
        QCOMPARE(captureStdout(&printed, [&] { return missing.open(); }), 1);
        QCOMPARE(printed, QString("Error, could not open /dev/i2c-0\n"));
        QVERIFY(missing.descriptor() < 0);

        // A node that is not an I2C adapter opens but refuses the slave address.
        printed.clear();
        testroot::writeFile("/dev/i2c-0", QByteArray());
        I2cBus bus(0);
        QCOMPARE(bus.open(), 0);
        char buffer[2] = {0, 0};
        QCOMPARE(captureStdout(&printed, [&] { return bus.readFrom(0x68, buffer, 2); }), 1);
        QCOMPARE(printed, QString("Error, I2C_SLAVE ioctl error\n"));
        bus.close();
        QCOMPARE(bus.descriptor(), -1);
    }
};

ZUM_TEST_MAIN(TestSysfsAccess)
#include "tst_sysfsaccess.moc"
