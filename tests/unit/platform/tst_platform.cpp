#include "Platform.h"
#include "SimRoot.h"
#include "TestRoot.h"

// The root-prefix mapping and the shell seam every subsystem relies on.
class TestPlatform : public QObject
{
    Q_OBJECT

private slots:
    void sysPathMapsBoardPaths();
    void commandPathsMapUnquotedBoardPathsOnly_data();
    void commandPathsMapUnquotedBoardPathsOnly();
    void quotedTextReachesToolsAsOneArgument_data();
    void quotedTextReachesToolsAsOneArgument();
    void architectureOverride();
};

void TestPlatform::sysPathMapsBoardPaths()
{
    const QString root = testroot::root();
    QCOMPARE(platform::sysPath("/media/data/1JV.profile"), root + "/media/data/1JV.profile");
    QCOMPARE(platform::sysPath(root + "/media/data/x"), root + "/media/data/x");
    QCOMPARE(platform::sysPath("relative/file"), QString("relative/file"));
    QCOMPARE(platform::sysPath("qrc:///qml/main.qml"), QString("qrc:///qml/main.qml"));
    QCOMPARE(platform::boardPath(root + "/sys/class/gpio"), QString("/sys/class/gpio"));
    // ".." never climbs out of the root.
    QCOMPARE(platform::sysPath("/media/../../etc/x"), root + "/etc/x");
    QCOMPARE(platform::sysPath("/../x/"), root + "/x/");
    QVERIFY(platform::sysPath(root + "/../x").startsWith(root + "/"));
}

void TestPlatform::commandPathsMapUnquotedBoardPathsOnly_data()
{
    QTest::addColumn<QString>("command");
    QTest::addColumn<QString>("mapped");
    QTest::newRow("paths") << "cp -f /media/data/ot.log /media/usb" << "cp -f R/media/data/ot.log R/media/usb";
    QTest::newRow("redirect") << "date +%s > /media/data/otdate.dat" << "date +%s > R/media/data/otdate.dat";
    QTest::newRow("glued redirect") << "echo 1 >/sys/class/gpio/export" << "echo 1 >R/sys/class/gpio/export";
    QTest::newRow("dev null kept") << "dmesg 2>/dev/null" << "dmesg 2>/dev/null";
    QTest::newRow("quoted left alone") << "echo '/media/x' \"/etc/y\"" << "echo '/media/x' \"/etc/y\"";
    QTest::newRow("not a board root") << "ls /tmp /mediax" << "ls /tmp /mediax";
    QTest::newRow("word inside") << "echo a/media/b" << "echo a/media/b";
    QTest::newRow("after escaped quote") << "echo 'it'\\''s'>>/etc/wpa 'a /etc/x'"
                                         << "echo 'it'\\''s'>>R/etc/wpa 'a /etc/x'";
    QTest::newRow("escaped slash") << "echo \\/media/x" << "echo \\/media/x";
    QTest::newRow("after separators") << "true;/usr/bin/a|/sys/b&/dev/c&&(/etc/d)`/media/e`"
                                      << "true;R/usr/bin/a|R/sys/b&R/dev/c&&(R/etc/d)`R/media/e`";
    QTest::newRow("dot-dot folded") << "cat /media/../../etc/x >/dev/null/../../y /tmp/../sys/z"
                                    << "cat R/etc/x >R/y R/sys/z";
}

void TestPlatform::commandPathsMapUnquotedBoardPathsOnly()
{
    QFETCH(QString, command);
    QFETCH(QString, mapped);
    mapped.replace("R/", platform::shellQuote(testroot::root()) + "/");
    QCOMPARE(QString::fromLocal8Bit(platform::mapCommand(command.toLocal8Bit())), mapped);
}

void TestPlatform::quotedTextReachesToolsAsOneArgument_data()
{
    QTest::addColumn<QString>("text");
    QTest::newRow("space") << "My Network";
    QTest::newRow("semicolon") << "x;reboot";
    QTest::newRow("quotes") << "it's \"here\"";
    QTest::newRow("substitution") << "$(reboot) `reboot`";
    QTest::newRow("empty") << "";
    QTest::newRow("board path") << "/media/data/x";
}

void TestPlatform::quotedTextReachesToolsAsOneArgument()
{
    QFETCH(QString, text);
    sim::SimRoot root(testroot::root());
    root.clearCalls();
    const int status = platform::runShell(("killall " + platform::shellQuote(text)).toLocal8Bit());
    QCOMPARE(platform::exitCode(status), 0);
    const QList<sim::ToolCall> calls = root.calls();
    QCOMPARE(calls.size(), 1);
    QCOMPARE(calls.first().tool, QString("killall"));
    QCOMPARE(calls.first().args, QStringList{text});
}

void TestPlatform::architectureOverride()
{
    qputenv("ZUM_CPU_ARCH", "arm");
    QCOMPARE(platform::cpuArch(), QString("arm"));
    qunsetenv("ZUM_CPU_ARCH");
    QCOMPARE(platform::cpuArch(), QSysInfo::currentCpuArchitecture());
}

ZUM_TEST_MAIN(TestPlatform)
#include "tst_platform.moc"
