// Scanning: the raw SSID list and the pairing that sorts networks into
// secured and unsecured ones.
#include "NetTestSupport.h"
#include "WifiClass.h"

using sim::WifiNetwork;

Q_DECLARE_METATYPE(QList<WifiNetwork>)

namespace {

QByteArray asFile(const QStringList &lines)
{
    return lines.isEmpty() ? QByteArray() : (lines.join('\n') + '\n').toUtf8();
}

} // namespace

class TestWifiScan : public QObject
{
    Q_OBJECT

private slots:
    void init() { nettest::reset(); }

    void scan_data()
    {
        QTest::addColumn<QList<WifiNetwork>>("scan");
        QTest::addColumn<QStringList>("ssids");
        QTest::addColumn<QStringList>("secured");
        QTest::addColumn<QStringList>("open");

        QTest::newRow("nothing found") << QList<WifiNetwork>() << QStringList{QString()} << QStringList()
                                       << QStringList();
        QTest::newRow("both kinds, names with spaces")
            << QList<WifiNetwork>{{"Home Net", true}, {"Cafe Guest", false}, {"Lab", true}}
            << QStringList{"\tSSID: Home Net", "\tSSID: Cafe Guest", "\tSSID: Lab", QString()}
            << QStringList{"\tSSID: Home Net"} << QStringList{"\tSSID: Cafe Guest"};
        QTest::newRow("second of two open networks lost")
            << QList<WifiNetwork>{{"O1", false}, {"O2", false}, {"S3", true}}
            << QStringList{"\tSSID: O1", "\tSSID: O2", "\tSSID: S3", QString()} << QStringList{"\tSSID: S3"}
            << QStringList{"\tSSID: O1"};
        QTest::newRow("open network last is in neither list")
            << QList<WifiNetwork>{{"Lab", true}, {"Guest", false}}
            << QStringList{"\tSSID: Lab", "\tSSID: Guest", QString()} << QStringList{"\tSSID: Lab"} << QStringList();
    }

    // Lists left by an earlier scan are replaced, not added to.
    void scan()
    {
        QFETCH(QList<WifiNetwork>, scan);
        QFETCH(QStringList, ssids);
        QFETCH(QStringList, secured);
        QFETCH(QStringList, open);
        nettest::simNet().setScan(scan);
        testroot::writeFile("/media/data/wifisec.txt", "\tSSID: Gone\n");
        testroot::writeFile("/media/data/wifiunsec.txt", "\tSSID: AlsoGone\n");

        WifiClass wifi;
        QCOMPARE(wifi.getWifiSSIDs(), ssids);
        // The radio is switched on before it is asked to scan.
        QCOMPARE(nettest::calls(), (QList<QStringList>{nettest::words("ifconfig wlan0 up"),
                                                       nettest::words("iw dev wlan0 scan")}));
        QCOMPARE(wifi.getSecuredList(), secured);
        QCOMPARE(testroot::readFile("/media/data/wifisec.txt"), asFile(secured));
        QCOMPARE(wifi.getUnSecuredList(), open);
        QCOMPARE(testroot::readFile("/media/data/wifiunsec.txt"), asFile(open));
    }

    void hostileNamesStayText_data()
    {
        QTest::addColumn<QString>("name");
        QTest::newRow("semicolon") << "x;reboot";
        QTest::newRow("back-ticks") << "`reboot`";
        QTest::newRow("single quote") << "it's; reboot '";
        QTest::newRow("backslashes") << "a\\cb\\\\";
        QTest::newRow("redirect and board path") << "x > /etc/zum-test-target /media/data/y";
    }

    // Scanned names are written to the list files through the shell: they
    // must arrive there as text, and nothing in them may run.
    void hostileNamesStayText()
    {
        QFETCH(QString, name);
        nettest::simNet().setScan({{name, true}, {"Next", true}, {"Open " + name, false}, {"Last", true}});

        WifiClass wifi;
        const QStringList secured{"\tSSID: " + name, "\tSSID: Next"};
        const QStringList open{"\tSSID: Open " + name};
        QCOMPARE(wifi.getSecuredList(), secured);
        QCOMPARE(testroot::readFile("/media/data/wifisec.txt"), asFile(secured));
        QCOMPARE(wifi.getUnSecuredList(), open);
        QCOMPARE(testroot::readFile("/media/data/wifiunsec.txt"), asFile(open));
        for (const QStringList &call : nettest::calls())
            QVERIFY2(call.first() == "iw", qPrintable(call.join(' ')));
    }
};

ZUM_TEST_MAIN(TestWifiScan)
#include "tst_wifiscan.moc"
