#include "BackendFixture.h"

#include <QElapsedTimer>
#include <QSignalSpy>

// The back end end to end: input thread, control object, board outputs,
// serial link and remote link wired through the facade, on the simulators.
class TestBackend : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase();
    void cleanupTestCase();
    void inputValuesArriveAboutFiftyTimesASecond();
    void piezoOverTemperatureDrivesTheFaultOutputs();
    void dispenseControlInputStopsDispensing();
    void profileGoesToBoardAndRemoteQueue();
    void dotRunReportsItsCount();

private:
    std::unique_ptr<BackendFixture> fx;
};

void TestBackend::initTestCase()
{
    fx = std::make_unique<BackendFixture>();
    QVERIFY(fx->up());
}

void TestBackend::cleanupTestCase()
{
    fx.reset();
}

void TestBackend::inputValuesArriveAboutFiftyTimesASecond()
{
    QSignalSpy values(fx->handler.get(), &ThreadHandler::gotInputValues);
    QTest::qWait(1000);
    QVERIFY2(values.size() >= 25 && values.size() <= 75, qPrintable(QString::number(values.size())));
    const QList<QVariant> last = values.last();
    QCOMPARE(last.size(), 8);
}

void TestBackend::piezoOverTemperatureDrivesTheFaultOutputs()
{
    QSignalSpy faults(fx->handler.get(), &ThreadHandler::faultUpdate);
    fx->sysfs.setPiezoTemp(90);
    QTRY_VERIFY_WITH_TIMEOUT(faults.contains({QString("PIEZO_TEMP"), true}), 3000);
    QTRY_COMPARE_WITH_TIMEOUT(fx->gpio(Control::Pin497Gpio), 1, 2000); // DB15 any error
    QTRY_COMPARE_WITH_TIMEOUT(fx->gpio(Control::Pin498Gpio), 1, 2000); // DB15 piezo exceeded
    QTRY_COMPARE_WITH_TIMEOUT(fx->gpio(Control::Pin506Gpio), 1, 2000); // cooling air

    fx->sysfs.setPiezoTemp(70);
    QTRY_VERIFY_WITH_TIMEOUT(faults.contains({QString("PIEZO_TEMP"), false}), 3000);
    QTRY_COMPARE_WITH_TIMEOUT(fx->gpio(Control::Pin497Gpio), 0, 2000);
    QTRY_COMPARE_WITH_TIMEOUT(fx->gpio(Control::Pin498Gpio), 0, 2000);
    // The air keeps cooling while the piezo is still above its warning limit.
    QCOMPARE(fx->gpio(Control::Pin506Gpio), 1);
    fx->sysfs.setPiezoTemp(25);
    QTRY_COMPARE_WITH_TIMEOUT(fx->gpio(Control::Pin506Gpio), 0, 2000);
}

void TestBackend::dispenseControlInputStopsDispensing()
{
    QSignalSpy stops(fx->handler.get(), &ThreadHandler::stopDispenseActivated);
    fx->sysfs.setDispenseControl(0);
    QTRY_VERIFY_WITH_TIMEOUT(stops.contains({true}), 2000);
    QVERIFY(fx->handler->control().isIdle());
    fx->sysfs.setDispenseControl(1);
    QTest::qWait(300);
}

void TestBackend::profileGoesToBoardAndRemoteQueue()
{
    fx->board->clearLog();
    const int queued = fx->handler->remoteLink().queuedReports().size();
    // program 1, 5 dispense cycles, dwell 300, duty 50, rise 100, fall 100, delay 1000, count 0, dot, tuning 0
    fx->handler->setProfileParam(1, 5, 300, 50, 100, 100, 1000, 0, 0, 0);
    QTRY_VERIFY_WITH_TIMEOUT(fx->board->receivedBytes().contains("P12:0\r"), 5000);
    const QByteArray wire = fx->board->receivedBytes();
    for (const char *line : {"P04:50\r", "P00:100\r", "P01:300\r", "P02:100\r", "P03:1000\r", "P05:5\r"})
        QVERIFY2(wire.contains(line), line);
    QTRY_VERIFY_WITH_TIMEOUT(fx->handler->remoteLink().queuedReports().size() > queued
                                 || fx->handler->remoteLink().queuedReports().size() == 8,
                             3000);
    const QString package = fx->handler->remoteLink().queuedReports().last();
    QVERIFY2(package.startsWith(QString("#START#127.0.0.1#%1#11#1P.profile#").arg(BackendFixture::mac)),
             qPrintable(package));
}

void TestBackend::dotRunReportsItsCount()
{
    QSignalSpy counts(fx->handler.get(), &ThreadHandler::counterUpdated);
    QSignalSpy running(fx->handler.get(), &ThreadHandler::setRunInProgress);
    fx->board->clearLog();
    fx->handler->runPressedReq(true);
    QTRY_VERIFY_WITH_TIMEOUT(fx->board->receivedBytes().contains("P06:"), 3000);
    QTRY_VERIFY_WITH_TIMEOUT(!counts.isEmpty(), 10000);
    QTRY_VERIFY_WITH_TIMEOUT(fx->handler->control().isIdle(), 5000);
    QVERIFY(counts.last().at(0).toInt() > 0);
}

ZUM_TEST_MAIN(TestBackend)
#include "tst_backend.moc"
