#include "HwTestSupport.h"

#include "Gpio.h"
#include "I2cBus.h"
#include "Pwm.h"

#include <QFile>

class TestSysfsAccess : public QObject
{
    Q_OBJECT

    sim::SimSysfs fs{testroot::root()};

private slots:
    void init()
    {
        fs = freshSysfs();
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
};

ZUM_TEST_MAIN(TestSysfsAccess)
#include "tst_sysfsaccess.moc"
