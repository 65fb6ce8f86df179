#include "TestRoot.h"

#include <QProcess>

// The command line of the built console.
class TestCommandLine : public QObject
{
    Q_OBJECT

    static void start(QProcess &console, const QStringList &args)
    {
        QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
        env.insert("QT_QPA_PLATFORM", "offscreen");
        env.insert("QT_QUICK_BACKEND", "software");
        console.setProcessEnvironment(env);
        console.setProcessChannelMode(QProcess::MergedChannels);
        testroot::start(console, CONSOLE_BINARY, args);
    }

private slots:
    void quitsEarly_data()
    {
        QTest::addColumn<QStringList>("args");
        QTest::addColumn<int>("status");
        QTest::addColumn<QStringList>("output"); // in this order
        QTest::newRow("help") << QStringList{"--help"} << 0
                              << QStringList{"-p, --serial_port <serialPort>  Controller serial port",
                                             "-c, --cmd <cmd>                 Controller command",
                                             "-d, --dev                       Development mode, windowed screen)",
                                             "-D, --debug                     enabled debug messages",
                                             "-h, --help                      Displays help on commandline options."};
        QTest::newRow("command") << QStringList{"-c", "x"} << 0 << QStringList();
        QTest::newRow("long command with other options") << QStringList{"-d", "-p", "/dev/ttyUSB0", "--cmd=run"} << 0
                                                         << QStringList();
        QTest::newRow("unknown option") << QStringList{"--frobnicate"} << 1 << QStringList();
        QTest::newRow("missing value") << QStringList{"-p"} << 1 << QStringList();
    }

    void quitsEarly()
    {
        QFETCH(QStringList, args);
        QFETCH(int, status);
        QFETCH(QStringList, output);
        QProcess console;
        start(console, args);
        QVERIFY(console.waitForFinished(10000));
        QCOMPARE(console.exitStatus(), QProcess::NormalExit);
        QCOMPARE(console.exitCode(), status);
        const QString printed = QString::fromLocal8Bit(console.readAll());
        QVERIFY(!printed.contains("Desk size"));
        int at = 0;
        for (const QString &line : output) {
            at = printed.indexOf(line, at);
            QVERIFY2(at >= 0, qPrintable("missing or out of order: " + line + "\n" + printed));
        }
    }

    void emptyCommandStartsTheWindow()
    {
        QProcess console;
        start(console, {"-c", "", "-d"});
        QVERIFY(console.waitForStarted());
        QByteArray output;
        QTRY_VERIFY_WITH_TIMEOUT((output += console.readAll()).contains("Desk size"), 20000);
        QCOMPARE(console.state(), QProcess::Running);
        console.terminate();
        console.waitForFinished(5000);
    }
};

ZUM_TEST_MAIN(TestCommandLine)
#include "tst_commandline.moc"
