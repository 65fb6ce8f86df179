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
        QTest::addColumn<QStringList>("secured");
        QTest::addColumn<QStringList>("open");

        QTest::newRow("nothing found") << QList<WifiNetwork>() << QStringList() << QStringList();
        QTest::newRow("both kinds, names with spaces")
            << QList<WifiNetwork>{{"Home Net", true}, {"Cafe Guest", false}, {"Lab", true}}
            << QStringList{"\tSSID: Home Net"} << QStringList{"\tSSID: Cafe Guest"};
        QTest::newRow("second of two open networks lost")
            << QList<WifiNetwork>{{"O1", false}, {"O2", false}, {"S3", true}} << QStringList{"\tSSID: S3"}
            << QStringList{"\tSSID: O1"};
        QTest::newRow("open network last is in neither list")
            << QList<WifiNetwork>{{"Lab", true}, {"Guest", false}} << QStringList{"\tSSID: Lab"} << QStringList();

        // Scanned names are written to the list files through the shell:
        // they must arrive there as text, and nothing in them may run.
        for (const QString &name : {QString("x;reboot"), QString("`reboot`"), QString("it's; reboot '"),
                                    QString("a\\cb\\\\"), QString("x > /etc/zum-test-target /media/data/y")}) {
            QTest::newRow(qPrintable("hostile name " + name))
                << QList<WifiNetwork>{{name, true}, {"Next", true}, {"Open " + name, false}, {"Last", true}}
                << QStringList{"\tSSID: " + name, "\tSSID: Next"} << QStringList{"\tSSID: Open " + name};
        }
    }

    // Lists left by an earlier scan are replaced, not added to; the radio is
    // switched on before the first scan and only the scanner runs after it.
    void scan()
    {
        QFETCH(QList<WifiNetwork>, scan);
        QFETCH(QStringList, secured);
        QFETCH(QStringList, open);
        nettest::simNet().setScan(scan);
        testroot::writeFile("/media/data/wifisec.txt", "\tSSID: Gone\n");
        testroot::writeFile("/media/data/wifiunsec.txt", "\tSSID: AlsoGone\n");

        WifiClass wifi;
        QStringList ssids;
        for (const WifiNetwork &network : scan)
            ssids.append("\tSSID: " + network.ssid);
        QCOMPARE(wifi.getWifiSSIDs(), ssids << QString());
        QCOMPARE(wifi.getSecuredList(), secured);
        QCOMPARE(testroot::readFile("/media/data/wifisec.txt"), asFile(secured));
        QCOMPARE(wifi.getUnSecuredList(), open);
        QCOMPARE(testroot::readFile("/media/data/wifiunsec.txt"), asFile(open));
        const QStringList scanCall = nettest::words("iw dev wlan0 scan");
        QCOMPARE(nettest::calls(), (QList<QStringList>{nettest::words("ifconfig wlan0 up"), scanCall, scanCall, scanCall}));
    }
};

ZUM_TEST_MAIN(TestWifiScan)
#include "tst_wifiscan.moc"
