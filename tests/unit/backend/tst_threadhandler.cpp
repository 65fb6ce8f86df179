#include "BackendFixture.h"

#include <QSignalSpy>

// The facade's own logic: shutdown bookkeeping, system type, thread starts
// and the one-active-error rule of the remote error reports.
class TestThreadHandler : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase();
    void cleanupTestCase();
    void shutdownHoldsUntilEveryRequestorReleases();
    void systemTypeIsCaseSensitive();
    void inputThreadIsNeverStoppedHere();
    void shellResultIgnoresExitStatus();
    void oneErrorReportAtATime();
    void runAndDataPackagesCarryIdentity();

private:
    static int count(const QStringList &lines, const QString &text);
    QList<QByteArray> pollReports(int polls);

    std::unique_ptr<BackendFixture> fx;
};

void TestThreadHandler::initTestCase()
{
    fx = std::make_unique<BackendFixture>();
    QVERIFY(fx->up());
}

void TestThreadHandler::cleanupTestCase()
{
    fx.reset();
}

int TestThreadHandler::count(const QStringList &lines, const QString &text)
{
    int n = 0;
    for (const QString &line : lines)
        n += line.contains(text) ? 1 : 0;
    return n;
}

void TestThreadHandler::shutdownHoldsUntilEveryRequestorReleases()
{
    ThreadHandler &th = *fx->handler;
    const auto controlLog = [this] {
        return QString::fromLatin1(fx->root.readFile("/media/data/Control.log")).split('\n');
    };
    QCOMPARE(fx->gpio(Control::Pin508Gpio), 0);

    th.gotCallForShutDown("NT ERR", true);
    th.gotCallForShutDown("NT ERR", true);
    QVERIFY(th.shutdownIsLatched());
    QCOMPARE(th.currentShutdownRequestor(), QString("NT ERR"));
    QCOMPARE(count(fx->serialLog(), "NT ERR --- ShutDownContoller : TURNING OFF"), 1);
    QCOMPARE(count(controlLog(), "shutDownServices -  ON"), 1);
    QCOMPARE(fx->gpio(Control::Pin508Gpio), 1);

    // A second requestor holds the shutdown too: the first one's release
    // leaves the services off until the second one releases as well.
    th.gotCallForShutDown("ESTOP", true);
    QCOMPARE(th.currentShutdownRequestor(), QString("NT ERR"));
    th.gotCallForShutDown("NT ERR", false);
    QVERIFY(th.shutdownIsLatched());
    QCOMPARE(th.currentShutdownRequestor(), QString("ESTOP"));
    QCOMPARE(count(fx->serialLog(), "ShutDownContoller"), 1);
    QCOMPARE(fx->gpio(Control::Pin508Gpio), 1);

    th.gotCallForShutDown("ESTOP", false);
    QVERIFY(!th.shutdownIsLatched());
    QCOMPARE(th.currentShutdownRequestor(), QString("NONE"));
    QCOMPARE(count(fx->serialLog(), "ESTOP --- ShutDownContoller : TURNING ON"), 1);
    QCOMPARE(count(controlLog(), "shutDownServices -  OFF"), 1);
    QCOMPARE(fx->gpio(Control::Pin508Gpio), 0);
}

void TestThreadHandler::systemTypeIsCaseSensitive()
{
    ThreadHandler th;
    QCOMPARE(th.currentSystemType(), QString("NONE"));
    th.setSystemType("jet_valve");
    QCOMPARE(th.currentSystemType(), QString("jet_valve"));
    QCOMPARE(th.currentSystemCode(), QString());
    th.setSystemType("JET_VALVE");
    QCOMPARE(th.currentSystemCode(), QString("11"));
    th.setSystemType("OTHER");
    QCOMPARE(th.currentSystemCode(), QString("11"));
}

void TestThreadHandler::inputThreadIsNeverStoppedHere()
{
    QVERIFY(inputMonitor.isRunning());
    fx->handler->changeInputThreadState(false);
    QTest::qWait(100);
    QVERIFY(inputMonitor.isRunning());
    QSignalSpy values(fx->handler.get(), &ThreadHandler::gotInputValues);
    QVERIFY(values.wait(2000));
}

void TestThreadHandler::shellResultIgnoresExitStatus()
{
    QVERIFY(fx->handler->exeSys("false"));
    QVERIFY(fx->handler->exeSys("exit 7"));
}

QList<QByteArray> TestThreadHandler::pollReports(int polls)
{
    fx->server->clearExchanges();
    for (int i = 0; i < polls; ++i) {
        const int before = fx->server->exchanges().size();
        fx->server->send("ZUM_IOT_REQ");
        [[maybe_unused]] const bool answered = QTest::qWaitFor(
            [&] { return fx->server->exchanges().size() > before && !fx->server->lastAnswer().isEmpty(); },
                        3000);
    }
    return fx->server->reports();
}

void TestThreadHandler::oneErrorReportAtATime()
{
    ThreadHandler &th = *fx->handler;
    // The server hears nothing but the latest run package until one exists.
    th.tramsmitIOTPackage("1P.profile", "programValue\":\"1");
    const QStringList before = th.remoteLink().queuedReports();

    th.transmitErrorCodes("2", "E41");
    th.transmitErrorCodes("3", "E42"); // one active error at a time
    th.clearErrorCodes("E42");         // not the active one
    QCOMPARE(th.currentErrorCode(), QString("E41"));
    th.clearErrorCodes("E41");
    QCOMPARE(th.currentErrorCode(), QString("0"));
    th.transmitErrorCodes("1", "E43");

    const QString report = QString("#ERR#%1#11#2#E41#ERR#\n").arg(BackendFixture::mac);
    const QString clear = QString("#ERR#%1#11#9#0#ERR#\n").arg(BackendFixture::mac);
    const QString again = QString("#ERR#%1#11#1#E43#ERR#\n").arg(BackendFixture::mac);
    QCOMPARE(th.remoteLink().queuedReports().mid(before.size()), (QStringList{report, clear, again}));

    // The reports reach the server when it polls.
    const QList<QByteArray> received = pollReports(6);
    QByteArray all;
    for (const QByteArray &r : received)
        all += r;
    QVERIFY2(all.contains(report.toLatin1()) && all.contains(clear.toLatin1()) && all.contains(again.toLatin1()),
             all.constData());
    QVERIFY(!all.contains("E42"));
    th.clearErrorCodes("E43");
}

void TestThreadHandler::runAndDataPackagesCarryIdentity()
{
    ThreadHandler th;
    th.iotStart("aa:bb", "127.0.0.1", 1); // nothing listens there; the reports only queue
    th.transmitMISCPackage("T=25");
    th.tramsmitIOTPackage("4JV.profile", "dwell\":\"300");
    QCOMPARE(th.remoteLink().queuedReports(),
             (QStringList{"#STARTDATA#127.0.0.1#aa:bb##T=25#STOPDATA#\n",
                          "#START#127.0.0.1#aa:bb##4JV.profile#dwell\":\"300#STOP#\n"}));
}

ZUM_TEST_MAIN(TestThreadHandler)
#include "tst_threadhandler.moc"
