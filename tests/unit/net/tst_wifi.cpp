// Scanning, joining and leaving networks: the lists a scan gives, the tools
// run and their order, how success is judged, what the supplicant
// configuration holds afterwards, that names and pass phrases reach the
// tools as single words, and that names no network can have reach no tool.
#include "NetTestSupport.h"
#include "WifiClass.h"

using sim::WifiNetwork;

Q_DECLARE_METATYPE(QList<WifiNetwork>)

namespace {

QByteArray asFile(const QStringList &lines)
{
    return lines.isEmpty() ? QByteArray() : (lines.join('\n') + '\n').toUtf8();
}

const QByteArray resetConfig = "ctrl_interface=/var/run/wpa_supplicant\nupdate_config=1\n";

QList<QStringList> openJoinCalls(const QString &ssid)
{
    return {nettest::words("ifconfig wlan0 up"), QStringList{"iw", "dev", "wlan0", "connect", ssid},
            nettest::words("udhcpc -i wlan0 -q -n")};
}

QList<QStringList> secureJoinCalls(const QString &ssid, const QString &pass)
{
    return {nettest::words("killall wpa_supplicant"), QStringList{"wpa_passphrase", ssid, pass},
            nettest::words("ifconfig wlan0 up"),
            nettest::words("wpa_supplicant -B -i wlan0 -c /etc/wpa_supplicant.conf"),
            nettest::words("udhcpc -i wlan0 -q -n")};
}

QList<QStringList> disconnectCalls(const QString &ssid)
{
    return {QStringList{"iw", "dev", "wlan0", "disconnect", ssid}, nettest::words("killall wpa_supplicant"),
            nettest::words("ifconfig wlan0 down")};
}

} // namespace

class TestWifi : public QObject
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

    void join_data()
    {
        QTest::addColumn<QString>("pass"); // null: an open network
        QTest::addColumn<bool>("lease");
        QTest::addColumn<bool>("accepted");
        QTest::newRow("open, lease obtained") << QString() << true << true;
        QTest::newRow("open, no lease") << QString() << false << true;
        QTest::newRow("seven characters") << "1234567" << true << false;
        QTest::newRow("eight characters") << "12345678" << true << true;
        QTest::newRow("good pass phrase, no lease") << "correct horse" << false << true;
    }

    // A rejected pass phrase wipes earlier networks; a good one is added.
    void join()
    {
        QFETCH(QString, pass);
        QFETCH(bool, lease);
        QFETCH(bool, accepted);
        nettest::simNet().setDhcpLease(lease);
        const QByteArray earlier = resetConfig + "network={\n\tssid=\"Earlier\"\n}\n";
        testroot::writeFile("/etc/wpa_supplicant.conf", earlier);
        WifiClass wifi;
        if (pass.isNull()) {
            QCOMPARE(wifi.connectToSSID("Main Office"), lease);
            QCOMPARE(nettest::calls(), openJoinCalls("Main Office"));
            return;
        }
        QCOMPARE(wifi.connectToSSID("Main Office", pass), accepted && lease);
        QCOMPARE(nettest::calls(), secureJoinCalls("Main Office", pass).mid(0, accepted ? 5 : 2));
        const QByteArray config = testroot::readFile("/etc/wpa_supplicant.conf");
        if (!accepted)
            QCOMPARE(config, resetConfig);
        else
            QVERIFY(config.startsWith(earlier + "network={\n\tssid=\"Main Office\"\n")
                    && config.contains("#psk=\"" + pass.toUtf8() + "\""));
    }

    void hostileTextIsOneWord_data()
    {
        QTest::addColumn<QString>("ssid");
        QTest::addColumn<QString>("pass");
        QTest::newRow("spaces") << "  two  spaces " << "pass with spaces";
        QTest::newRow("semicolon") << "x;reboot" << "p;reboot;x";
        QTest::newRow("command substitution") << "$(reboot)" << "$(reboot)$(reboot)";
        QTest::newRow("back-ticks") << "`reboot`" << "`reboot` `reboot`";
        QTest::newRow("double quotes in pass phrase") << "Lab" << "\"$(reboot)\"";
        QTest::newRow("board paths after a quote") << "a' /etc/x" << "b' >/etc/zum-test-target /media/data/z";
    }

    // Exactly the expected tools run, each name and pass phrase one argument;
    // leaving resets the configuration.
    void hostileTextIsOneWord()
    {
        QFETCH(QString, ssid);
        QFETCH(QString, pass);
        testroot::writeFile("/etc/wpa_supplicant.conf", resetConfig);
        WifiClass wifi;
        QVERIFY(wifi.connectToSSID(ssid));
        QVERIFY(wifi.connectToSSID(ssid, pass));
        QVERIFY(wifi.disconnectFromSSID(ssid));
        QCOMPARE(nettest::calls(), openJoinCalls(ssid) + secureJoinCalls(ssid, pass) + disconnectCalls(ssid));
        QCOMPARE(testroot::readFile("/etc/wpa_supplicant.conf"), resetConfig);
    }

    void unusableNamesAreRefused_data()
    {
        QTest::addColumn<QString>("ssid");
        QTest::addColumn<bool>("refused");
        QTest::newRow("line feed") << "Lab\nnetwork={" << true;
        QTest::newRow("escape") << "Lab\x1b" << true;
        QTest::newRow("double quote") << "Lab\"" << true;
        QTest::newRow("leading -") << "-B" << true;
        QTest::newRow("empty") << "" << true;
        QTest::newRow("33 bytes") << QString(33, 'x') << true;
        QTest::newRow("34 bytes in 17 letters") << QString(17, QChar(0xe4)) << true;
        QTest::newRow("32 bytes, inner -") << "a-" + QString(30, 'x') << false;
    }

    // Refused before any tool runs, so nothing reaches the configuration.
    void unusableNamesAreRefused()
    {
        QFETCH(QString, ssid);
        QFETCH(bool, refused);
        testroot::writeFile("/etc/wpa_supplicant.conf", resetConfig);
        WifiClass wifi;
        QSignalSpy reasons(&wifi, &WifiClass::ssidRefused);
        wifi.connectToSSID(ssid);
        wifi.connectToSSID(ssid, "12345678");
        QCOMPARE(reasons.size(), refused ? 2 : 0);
        QCOMPARE(nettest::calls().isEmpty(), refused);
        if (refused) {
            QVERIFY(!reasons.at(0).at(1).toString().isEmpty());
            QCOMPARE(testroot::readFile("/etc/wpa_supplicant.conf"), resetConfig);
        }
    }
};

ZUM_TEST_MAIN(TestWifi)
#include "tst_wifi.moc"
