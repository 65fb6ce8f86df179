#include "Platform.h"
#include "SimRoot.h"
#include "StallMonitor.h"
#include "TestRoot.h"
#include "Worker.h"

// The root-prefix mapping and the shell seam every subsystem relies on, and
// the worker that keeps slow shell work off the window thread.
// "R" in the tables stands for the root.
class TestPlatform : public QObject
{
    Q_OBJECT

private slots:
    void sysPathStaysInsideTheRoot_data()
    {
        QTest::addColumn<QString>("path");
        QTest::addColumn<QString>("mapped");
        QTest::newRow("board path") << "/media/data/1JV.profile" << "R/media/data/1JV.profile";
        QTest::newRow("already mapped") << "R/media/data/x" << "R/media/data/x";
        QTest::newRow("relative") << "relative/file" << "relative/file";
        QTest::newRow("qrc") << "qrc:///qml/main.qml" << "qrc:///qml/main.qml";
        QTest::newRow("dot-dot") << "/media/../../etc/x" << "R/etc/x";
        QTest::newRow("dot-dot at the top, trailing slash") << "/../x/" << "R/x/";
    }

    void sysPathStaysInsideTheRoot()
    {
        QFETCH(QString, path);
        QFETCH(QString, mapped);
        const QString root = testroot::root();
        QCOMPARE(platform::sysPath(path.replace("R/", root + "/")), mapped.replace("R/", root + "/"));
        QCOMPARE(platform::boardPath(root + "/sys/class/gpio"), QString("/sys/class/gpio"));
        QVERIFY(platform::sysPath(root + "/../x").startsWith(root + "/"));
    }

    void commandPathsMapUnquotedBoardPathsOnly_data()
    {
        QTest::addColumn<QString>("command");
        QTest::addColumn<QString>("mapped");
        QTest::newRow("paths") << "cp -f /media/data/ot.log /media/usb" << "cp -f R/media/data/ot.log R/media/usb";
        QTest::newRow("redirects") << "date > /media/data/d; echo 1 >/sys/x" << "date > R/media/data/d; echo 1 >R/sys/x";
        QTest::newRow("dev null kept") << "dmesg 2>/dev/null" << "dmesg 2>/dev/null";
        QTest::newRow("quoted left alone") << "echo '/media/x' \"/etc/y\"" << "echo '/media/x' \"/etc/y\"";
        QTest::newRow("not a board root") << "ls /tmp /mediax a/media/b" << "ls /tmp /mediax a/media/b";
        QTest::newRow("after escaped quote") << "echo 'it'\\''s'>>/etc/wpa 'a /etc/x'"
                                             << "echo 'it'\\''s'>>R/etc/wpa 'a /etc/x'";
        QTest::newRow("escaped slash") << "echo \\/media/x" << "echo \\/media/x";
        QTest::newRow("after separators") << "true;/usr/bin/a|/sys/b&/dev/c&&(/etc/d)`/media/e`"
                                          << "true;R/usr/bin/a|R/sys/b&R/dev/c&&(R/etc/d)`R/media/e`";
        QTest::newRow("dot-dot folded") << "cat /media/../../etc/x >/dev/null/../../y /tmp/../sys/z"
                                        << "cat R/etc/x >R/y R/sys/z";
    }

    void commandPathsMapUnquotedBoardPathsOnly()
    {
        QFETCH(QString, command);
        QFETCH(QString, mapped);
        mapped.replace("R/", platform::shellQuote(testroot::root()) + "/");
        QCOMPARE(QString::fromLocal8Bit(platform::mapCommand(command.toLocal8Bit())), mapped);
    }

    void quotedTextReachesToolsAsOneArgument()
    {
        sim::SimRoot root(testroot::root());
        for (const QString text : {"My Network", "x;reboot", "it's \"here\"", "$(reboot) `reboot`", "", "/media/x"}) {
            root.clearCalls();
            const int status = platform::runShell(("killall " + platform::shellQuote(text)).toLocal8Bit());
            QCOMPARE(platform::exitCode(status), 0);
            QCOMPARE(root.calls().size(), 1);
            QCOMPARE(root.calls().first().tool, QString("killall"));
            QCOMPARE(root.calls().first().args, QStringList{text});
        }
    }

    // Answers come back on the owner's thread in the order asked while the
    // owner keeps running; beyond its cap the worker refuses, until the
    // queue has drained. Held, a worker runs nothing until released, and
    // one destroyed meanwhile does not wait for the release.
    void workerAnswersInOrderAndRefusesWhenFull()
    {
        platform::Worker::hold();
        {
            platform::Worker dropped(QStringLiteral("dropped worker"), 1);
            QVERIFY(dropped.post([] { return QVariant(); }));
            QTest::qWait(100); // its thread is waiting for the release
        }
        platform::Worker worker(QStringLiteral("test worker"), 3);
        QStringList answers;
        for (const QString word : {"first", "second", "third"}) {
            QVERIFY(worker.post([word] { return platform::runShell("sleep 0.2") == 0 ? word : QString(); },
                                [&](const QVariant &answer) {
                                    QCOMPARE(QThread::currentThread(), qApp->thread());
                                    answers << answer.toString();
                                }));
        }
        QVERIFY(!worker.post([] { return QVariant(); }));
        QTest::qWait(300);
        QCOMPARE(answers, QStringList());
        platform::Worker::release();
        platform::StallMonitor monitor(20);
        QTRY_COMPARE(answers, (QStringList{"first", "second", "third"}));
        QVERIFY2(monitor.longestGapMs() < 150, qPrintable(QString::number(monitor.longestGapMs())));
        QCOMPARE(worker.pending(), 0);
        QVERIFY(worker.post([] { return QVariant(); }));
    }
};

ZUM_TEST_MAIN(TestPlatform)
#include "tst_platform.moc"
