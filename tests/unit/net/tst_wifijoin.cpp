#include "NetTestSupport.h"
#include "WifiClass.h"

namespace {

const QByteArray resetConfig = "ctrl_interface=/var/run/wpa_supplicant\nupdate_config=1\n";

QList<QStringList> secureJoinCalls(const QString &ssid, const QString &pass)
{
    return {nettest::words("killall wpa_supplicant"), QStringList{"wpa_passphrase", ssid, pass},
            nettest::words("ifconfig wlan0 up"),
            nettest::words("wpa_supplicant -B -i wlan0 -c /etc/wpa_supplicant.conf"),
            nettest::words("udhcpc -i wlan0 -q -n")};
}

} // namespace

// Joining and leaving networks: the tools run, their order, how success is
// judged, what the supplicant configuration holds afterwards, and that
// names and pass phrases reach the tools as single words.
class TestWifiJoin : public QObject
{
    Q_OBJECT

private slots:
    void init() { nettest::reset(); }

    void openJoin_data();
    void openJoin();
    void securedJoin_data();
    void securedJoin();
    void disconnect();
    void hostileTextIsOneWord_data();
    void hostileTextIsOneWord();
};

void TestWifiJoin::openJoin_data()
{
    QTest::addColumn<bool>("lease");
    QTest::newRow("lease obtained") << true;
    QTest::newRow("no lease") << false;
}

void TestWifiJoin::openJoin()
{
    QFETCH(bool, lease);
    nettest::simNet().setDhcpLease(lease);

    WifiClass wifi;
    QCOMPARE(wifi.connectToSSID("Cafe Guest"), lease);
    QCOMPARE(nettest::calls(), (QList<QStringList>{nettest::words("ifconfig wlan0 up"),
                                                   QStringList{"iw", "dev", "wlan0", "connect", "Cafe Guest"},
                                                   nettest::words("udhcpc -i wlan0 -q -n")}));
    QCOMPARE(testroot::readFile("/media/data/wifiStatus.log").contains("obtained"), lease);
}

void TestWifiJoin::securedJoin_data()
{
    QTest::addColumn<QString>("pass");
    QTest::addColumn<bool>("lease");
    QTest::addColumn<bool>("accepted");
    QTest::addColumn<bool>("joined");

    QTest::newRow("seven characters") << "1234567" << true << false << false;
    QTest::newRow("empty pass phrase") << "" << true << false << false;
    QTest::newRow("eight characters") << "12345678" << true << true << true;
    QTest::newRow("good pass phrase, no lease") << "correct horse" << false << true << false;
}

void TestWifiJoin::securedJoin()
{
    QFETCH(QString, pass);
    QFETCH(bool, lease);
    QFETCH(bool, accepted);
    QFETCH(bool, joined);
    nettest::simNet().setDhcpLease(lease);
    const QByteArray earlier = resetConfig + "network={\n\tssid=\"Earlier\"\n}\n";
    testroot::writeFile("/etc/wpa_supplicant.conf", earlier);

    WifiClass wifi;
    QCOMPARE(wifi.connectToSSID("Main Office", pass), joined);

    const QByteArray config = testroot::readFile("/etc/wpa_supplicant.conf");
    QList<QStringList> expected = secureJoinCalls("Main Office", pass);
    if (accepted) {
        QVERIFY(config.startsWith(earlier + "network={\n\tssid=\"Main Office\"\n"));
        QVERIFY(config.contains("#psk=\"" + pass.toUtf8() + "\""));
    } else {
        QCOMPARE(config, resetConfig);
        expected = expected.mid(0, 2);
    }
    QCOMPARE(nettest::calls(), expected);
}

void TestWifiJoin::disconnect()
{
    testroot::writeFile("/etc/wpa_supplicant.conf", resetConfig + "network={\n\tssid=\"Lab\"\n}\n");
    WifiClass wifi;
    QVERIFY(wifi.disconnectFromSSID("Main Office"));
    QCOMPARE(nettest::calls(), (QList<QStringList>{QStringList{"iw", "dev", "wlan0", "disconnect", "Main Office"},
                                                   nettest::words("killall wpa_supplicant"),
                                                   nettest::words("ifconfig wlan0 down")}));
    QCOMPARE(testroot::readFile("/etc/wpa_supplicant.conf"), resetConfig);

    // Also from nothing: the reset does not depend on an earlier file.
    QFile::remove(testroot::path("/etc/wpa_supplicant.conf"));
    QVERIFY(wifi.disconnectFromSSID("Lab"));
    QCOMPARE(testroot::readFile("/etc/wpa_supplicant.conf"), resetConfig);
}

void TestWifiJoin::hostileTextIsOneWord_data()
{
    QTest::addColumn<QString>("ssid");
    QTest::addColumn<QString>("pass");

    QTest::newRow("spaces") << "  two  spaces " << "pass with spaces";
    QTest::newRow("semicolon") << "x;reboot" << "p;reboot;x";
    QTest::newRow("command substitution") << "$(reboot)" << "$(reboot)$(reboot)";
    QTest::newRow("back-ticks") << "`reboot`" << "`reboot` `reboot`";
    QTest::newRow("double quotes") << "\"; reboot; \"" << "\"$(reboot)\"";
    QTest::newRow("board paths after a quote") << "a' /etc/x" << "b' >/etc/zum-test-target /media/data/z";
}

void TestWifiJoin::hostileTextIsOneWord()
{
    QFETCH(QString, ssid);
    QFETCH(QString, pass);
    testroot::writeFile("/etc/wpa_supplicant.conf", resetConfig);

    WifiClass wifi;
    QVERIFY(wifi.connectToSSID(ssid));
    QVERIFY(wifi.connectToSSID(ssid, pass));
    QVERIFY(wifi.disconnectFromSSID(ssid));

    QList<QStringList> expected{nettest::words("ifconfig wlan0 up"),
                                QStringList{"iw", "dev", "wlan0", "connect", ssid},
                                nettest::words("udhcpc -i wlan0 -q -n")};
    expected += secureJoinCalls(ssid, pass);
    expected += QList<QStringList>{QStringList{"iw", "dev", "wlan0", "disconnect", ssid},
                                   nettest::words("killall wpa_supplicant"),
                                   nettest::words("ifconfig wlan0 down")};
    QCOMPARE(nettest::calls(), expected);
    QCOMPARE(testroot::readFile("/etc/wpa_supplicant.conf"), resetConfig);
}

ZUM_TEST_MAIN(TestWifiJoin)
#include "tst_wifijoin.moc"
