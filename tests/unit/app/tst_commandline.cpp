#include "TestRoot.h"

#include <QProcess>

// The command line of the built console.
class TestCommandLine : public QObject
{
    Q_OBJECT

private slots:
    void helpListsOptionsInOrder();
    void quitsEarly_data();
    void quitsEarly();
    void emptyCommandStartsTheWindow();

private:
    static QProcessEnvironment environment();
};

QProcessEnvironment TestCommandLine::environment()
{
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert("QT_QPA_PLATFORM", "offscreen");
    env.insert("QT_QUICK_BACKEND", "software");
    return env;
}

void TestCommandLine::helpListsOptionsInOrder()
{
    QProcess console;
    console.setProcessEnvironment(environment());
    console.start(CONSOLE_BINARY, {"--help"});
    QVERIFY(console.waitForFinished(10000));
    QCOMPARE(console.exitCode(), 0);
    const QString help = QString::fromLocal8Bit(console.readAllStandardOutput());
    const QStringList expected{
        "-p, --serial_port <serialPort>  Controller serial port",
        "-c, --cmd <cmd>                 Controller command",
        "-d, --dev                       Development mode, windowed screen)",
        "-D, --debug                     enabled debug messages",
        "-h, --help                      Displays help on commandline options.",
    };
    int at = 0;
    for (const QString &line : expected) {
        const int found = help.indexOf(line, at);
        QVERIFY2(found >= 0, qPrintable("missing or out of order: " + line + "\n" + help));
        at = found + line.size();
    }
}

void TestCommandLine::quitsEarly_data()
{
    QTest::addColumn<QStringList>("args");
    QTest::addColumn<int>("status");
    QTest::newRow("command") << QStringList{"-c", "x"} << 0;
    QTest::newRow("long command with other options") << QStringList{"-d", "-p", "/dev/ttyUSB0", "--cmd=run"} << 0;
    QTest::newRow("unknown option") << QStringList{"--frobnicate"} << 1;
    QTest::newRow("missing value") << QStringList{"-p"} << 1;
}

void TestCommandLine::quitsEarly()
{
    QFETCH(QStringList, args);
    QFETCH(int, status);
    QProcess console;
    console.setProcessEnvironment(environment());
    console.start(CONSOLE_BINARY, args);
    QVERIFY(console.waitForFinished(10000));
    QCOMPARE(console.exitStatus(), QProcess::NormalExit);
    QCOMPARE(console.exitCode(), status);
    QVERIFY(!console.readAllStandardError().contains("Desk size"));
}

void TestCommandLine::emptyCommandStartsTheWindow()
{
    QProcess console;
    console.setProcessEnvironment(environment());
    console.setProcessChannelMode(QProcess::MergedChannels);
    console.start(CONSOLE_BINARY, {"-c", "", "-d"});
    QVERIFY(console.waitForStarted());
    QByteArray output;
    QTRY_VERIFY_WITH_TIMEOUT((output += console.readAll()).contains("Desk size"), 20000);
    QCOMPARE(console.state(), QProcess::Running);
    console.terminate();
    console.waitForFinished(5000);
}

ZUM_TEST_MAIN(TestCommandLine)
#include "tst_commandline.moc"
