#include "NetTestSupport.h"
#include "WifiClass.h"

using sim::WifiNetwork;

Q_DECLARE_METATYPE(QList<WifiNetwork>)

// Scanning: the raw SSID list and the pairing that sorts networks into
// secured and unsecured ones.
class TestWifiScan : public QObject
{
    Q_OBJECT

private slots:
    void init() { nettest::reset(); }

    void ssidList_data();
    void ssidList();
    void classified_data();
    void classified();
    void staleListsAreReplaced();
    void hostileNamesStayText_data();
    void hostileNamesStayText();
};

void TestWifiScan::ssidList_data()
{
    QTest::addColumn<QList<WifiNetwork>>("scan");
    QTest::addColumn<QStringList>("expected");

    QTest::newRow("nothing found") << QList<WifiNetwork>() << QStringList{QString()};
    QTest::newRow("two networks, both kinds")
        << QList<WifiNetwork>{{"HomeNet", true}, {"Cafe Guest", false}}
        << QStringList{"\tSSID: HomeNet", "\tSSID: Cafe Guest", QString()};
}

void TestWifiScan::ssidList()
{
    QFETCH(QList<WifiNetwork>, scan);
    QFETCH(QStringList, expected);
    nettest::simNet().setScan(scan);

    WifiClass wifi;
    QCOMPARE(wifi.getWifiSSIDs(), expected);
    // The radio is switched on before it is asked to scan.
    const QList<QStringList> calls = nettest::calls();
    QCOMPARE(calls.size(), 2);
    QCOMPARE(calls.at(0), nettest::words("ifconfig wlan0 up"));
    QCOMPARE(calls.at(1), nettest::words("iw dev wlan0 scan"));
}

void TestWifiScan::classified_data()
{
    QTest::addColumn<QList<WifiNetwork>>("scan");
    QTest::addColumn<QStringList>("secured");
    QTest::addColumn<QStringList>("open");

    QTest::newRow("nothing found") << QList<WifiNetwork>() << QStringList() << QStringList();
    QTest::newRow("all secured")
        << QList<WifiNetwork>{{"A", true}, {"B", true}, {"C", true}}
        << QStringList{"\tSSID: A", "\tSSID: B", "\tSSID: C"} << QStringList();
    QTest::newRow("open judged by the next SSID line")
        << QList<WifiNetwork>{{"Open", false}, {"Lab", true}, {"Office", true}}
        << QStringList{"\tSSID: Office"} << QStringList{"\tSSID: Open"};
    QTest::newRow("second of two open networks lost")
        << QList<WifiNetwork>{{"O1", false}, {"O2", false}, {"S3", true}}
        << QStringList{"\tSSID: S3"} << QStringList{"\tSSID: O1"};
    QTest::newRow("open network last is in neither list")
        << QList<WifiNetwork>{{"Lab", true}, {"Guest", false}}
        << QStringList{"\tSSID: Lab"} << QStringList();
    QTest::newRow("name with a space kept whole")
        << QList<WifiNetwork>{{"Main Office", true}, {"x", true}}
        << QStringList{"\tSSID: Main Office", "\tSSID: x"} << QStringList();
}

void TestWifiScan::classified()
{
    QFETCH(QList<WifiNetwork>, scan);
    QFETCH(QStringList, secured);
    QFETCH(QStringList, open);
    nettest::simNet().setScan(scan);

    WifiClass wifi;
    QCOMPARE(wifi.getSecuredList(), secured);
    QCOMPARE(wifi.getUnSecuredList(), open);
}

void TestWifiScan::staleListsAreReplaced()
{
    testroot::writeFile("/media/data/wifisec.txt", "\tSSID: Gone\n");
    testroot::writeFile("/media/data/wifiunsec.txt", "\tSSID: AlsoGone\n");
    testroot::writeFile("/media/data/wifi.txt", "\tSSID: Stale\n\tRSN:\n");
    nettest::simNet().setScan({{"Guest", false}, {"Lab", true}, {"Hall", true}});

    WifiClass wifi;
    QCOMPARE(wifi.getSecuredList(), QStringList{"\tSSID: Hall"});
    QCOMPARE(testroot::readFile("/media/data/wifisec.txt"), QByteArray("\tSSID: Hall\n"));
    QCOMPARE(wifi.getUnSecuredList(), QStringList{"\tSSID: Guest"});
    QCOMPARE(testroot::readFile("/media/data/wifiunsec.txt"), QByteArray("\tSSID: Guest\n"));
}

void TestWifiScan::hostileNamesStayText_data()
{
    QTest::addColumn<QString>("name");

    QTest::newRow("semicolon") << "x;reboot";
    QTest::newRow("back-ticks") << "`reboot`";
    QTest::newRow("single quote") << "it's; reboot '";
    QTest::newRow("backslashes") << "a\\cb\\\\";
    QTest::newRow("redirect and board path") << "x > /etc/zum-test-target /media/data/y";
}

// Scanned names are written to the list files through the shell: they must
// arrive there as text, and nothing in them may run.
void TestWifiScan::hostileNamesStayText()
{
    QFETCH(QString, name);
    nettest::simNet().setScan({{name, true}, {"Next", true}, {"Open " + name, false}, {"Last", true}});

    WifiClass wifi;
    const QString line = "\tSSID: " + name;
    QCOMPARE(wifi.getSecuredList(), (QStringList{line, "\tSSID: Next"}));
    QCOMPARE(testroot::readFile("/media/data/wifisec.txt"), (line + "\n\tSSID: Next\n").toUtf8());
    QCOMPARE(wifi.getUnSecuredList(), QStringList{"\tSSID: Open " + name});
    QCOMPARE(testroot::readFile("/media/data/wifiunsec.txt"), ("\tSSID: Open " + name + "\n").toUtf8());

    for (const QStringList &call : nettest::calls())
        QVERIFY2(call.first() == "iw", qPrintable(call.join(' ')));
}

ZUM_TEST_MAIN(TestWifiScan)
#include "tst_wifiscan.moc"
