// Wired identity (which interface is reported, its MAC address, the address
// list from ifconfig or, where its wording differs, from the kernel) and
// Wi-Fi: the lists a scan gives, the tools run to join and leave and their
// order, how success is judged, what the supplicant configuration holds
// afterwards, that names and pass phrases reach the tools as single words,
// and that names no network can have reach no tool.
#include "InterfaceAddresses.h"
#include "NetworkSetup.h"
#include "SimNet.h"
#include "SimRoot.h"
#include "TestRoot.h"
#include "WifiClass.h"

#include <QFile>

#include <arpa/inet.h>
#include <ifaddrs.h>
#include <net/if.h>

using sim::WifiNetwork;

Q_DECLARE_METATYPE(QList<WifiNetwork>)

// The fake tools' call log as lists of words (tool first), and a clean
// slate between cases.
namespace nettest {

inline sim::SimRoot simRoot() { return sim::SimRoot(testroot::root()); }
inline sim::SimNet simNet() { return sim::SimNet(testroot::root()); }

inline QList<QStringList> calls()
{
    QList<QStringList> result;
    const QList<sim::ToolCall> all = simRoot().calls();
    for (const sim::ToolCall &call : all)
        result.append(QStringList(call.tool) + call.args);
    return result;
}

inline QStringList words(const char *line) { return QString::fromLatin1(line).split(QLatin1Char(' ')); }

// Forgets earlier calls, scans, leases and supplicant configuration.
inline void reset()
{
    simRoot().clearCalls();
    for (const char *file : {"/sim/iw.scan", "/sim/udhcpc.lease", "/etc/wpa_supplicant.conf",
                             "/media/data/wifiStatus.log", "/media/data/ipaddress", "/sim/ifconfig.out"})
        QFile::remove(testroot::path(QLatin1String(file)));
    sim::SimNet::build(testroot::root());
}

} // namespace nettest

namespace {

// A hand-made interface address list with the traps of a real one: an entry
// without an address, IPv6, a loopback, 127/8 on a plain interface, a name
// that extends another and two addresses on one interface. Documentation
// addresses, kept in memory only.
class SampleList
{
public:
    SampleList()
    {
        const struct { const char *name; int family; const char *address; unsigned flags; } rows[count] = {
            {"tun0", AF_UNSPEC, nullptr, IFF_UP}, {"lo", AF_INET, "127.0.0.1", IFF_UP | IFF_LOOPBACK},
            {"eth1", AF_INET6, "2001:db8::1", IFF_UP}, {"eth1", AF_INET, "192.0.2.10", IFF_UP},
            {"eth10", AF_INET, "192.0.2.99", IFF_UP}, {"wlan0", AF_INET, "198.51.100.7", IFF_UP},
            {"dummy0", AF_INET, "127.0.0.53", IFF_UP}, {"eth1", AF_INET, "192.0.2.11", IFF_UP}};
        for (int i = 0; i < count; ++i) {
            ifaddrs &entry = entries[i];
            entry.ifa_name = const_cast<char *>(rows[i].name);
            entry.ifa_flags = rows[i].flags;
            entry.ifa_next = i + 1 < count ? &entries[i + 1] : nullptr;
            if (!rows[i].address)
                continue;
            auto *in = reinterpret_cast<sockaddr_in *>(&addresses[i]);
            auto *in6 = reinterpret_cast<sockaddr_in6 *>(&addresses[i]);
            addresses[i].ss_family = sa_family_t(rows[i].family);
            inet_pton(rows[i].family, rows[i].address,
                      rows[i].family == AF_INET ? static_cast<void *>(&in->sin_addr) : &in6->sin6_addr);
            entry.ifa_addr = reinterpret_cast<sockaddr *>(&addresses[i]);
        }
    }
    SampleList(const SampleList &) = delete; // entries point at each other
    SampleList &operator=(const SampleList &) = delete;
    const ifaddrs *head() const { return entries; }

private:
    static constexpr int count = 8;
    ifaddrs entries[count] = {};
    sockaddr_storage addresses[count] = {};
};

QByteArray ifconfigBlock(const char *name, const char *address)
{
    return QByteArray(name) + "      Link encap:Ethernet\n          inet addr:" + address + "  Mask:255.0.0.0\n";
}

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

class TestNet : public QObject
{
    Q_OBJECT

private slots:
    void init() { nettest::reset(); }

    // The board's eth1, unless a development PC's enp0s25 is there.
    void interfaceChoice()
    {
        nettest::simNet().setInterface("eth1", "02:00:00:00:00:e1");
        QCOMPARE(NetworkSetup().interfaceName(), QString("eth1"));
        QCOMPARE(NetworkSetup().get_mac_address(), QString("02:00:00:00:00:e1\n"));
        nettest::simNet().setInterface("enp0s25", "02:00:00:00:00:25");
        QCOMPARE(NetworkSetup().interfaceName(), QString("enp0s25"));
        QCOMPARE(NetworkSetup().get_mac_address(), QString("02:00:00:00:00:25\n"));
    }

    // The last IPv4 address of exactly that name; every IPv4 address that is
    // not loopback, on any interface.
    void addressLists()
    {
        const SampleList list;
        QCOMPARE(netaddr::lastIpv4Of(list.head(), "eth1"), QString("192.0.2.11"));
        QCOMPARE(netaddr::lastIpv4Of(list.head(), "eth10"), QString("192.0.2.99"));
        QCOMPARE(netaddr::lastIpv4Of(list.head(), "tun0"), QString());
        QCOMPARE(netaddr::lastIpv4Of(list.head(), "ETH1"), QString());
        QCOMPARE(netaddr::externalIpv4(list.head()), (QStringList{"192.0.2.10", "192.0.2.99", "198.51.100.7", "192.0.2.11"}));
        QCOMPARE(netaddr::externalIpv4(nullptr), QStringList());
        // The machine's own list is fetched and walked (read only).
        QVERIFY(netaddr::systemIpv4Of("lo").startsWith("127."));
    }

    // The board's ifconfig wording goes through the pipeline, one address per
    // line, stored as returned; with only the loopback (no cable, no lease)
    // or any other wording there is no address.
    void ifconfigAddresses_data()
    {
        QTest::addColumn<QByteArray>("ifconfig");
        QTest::addColumn<bool>("boardWording");
        QTest::newRow("board wording") << ifconfigBlock("eth1", "127.0.0.2") + ifconfigBlock("lo  ", "127.0.0.1")
                                              + ifconfigBlock("wlan0", "127.0.0.3")
                                       << true;
        QTest::newRow("loopback only") << ifconfigBlock("lo  ", "127.0.0.1") << false;
        QTest::newRow("other wording") << QByteArray("lo: flags=73<UP,LOOPBACK,RUNNING>  mtu 65536\n"
                                                     "        inet 127.0.0.1  netmask 255.0.0.0\n")
                                       << false;
    }

    void ifconfigAddresses()
    {
        QFETCH(QByteArray, ifconfig);
        QFETCH(bool, boardWording);
        nettest::simRoot().setToolOutput("ifconfig", ifconfig);
        const QString expected = boardWording ? "127.0.0.2\n127.0.0.3\n" : "";
        QCOMPARE(NetworkSetup().getIpFromIfConfig(), expected);
        QCOMPARE(testroot::readFile("/media/data/ipaddress"), expected.toLatin1());
        QCOMPARE(nettest::calls(), QList<QStringList>{QStringList{"ifconfig"}});
    }

    void scan_data()
    {
        QTest::addColumn<QList<WifiNetwork>>("scan");
        QTest::addColumn<QStringList>("secured");
        QTest::addColumn<QStringList>("open");

        QTest::newRow("nothing found") << QList<WifiNetwork>() << QStringList() << QStringList();
        QTest::newRow("both kinds, names with spaces")
            << QList<WifiNetwork>{{"Home Net", true}, {"Cafe Guest", false}, {"Lab", true}}
            << QStringList{"\tSSID: Home Net", "\tSSID: Lab"} << QStringList{"\tSSID: Cafe Guest"};
        QTest::newRow("two open networks, then a secured one")
            << QList<WifiNetwork>{{"O1", false}, {"O2", false}, {"S3", true}} << QStringList{"\tSSID: S3"}
            << QStringList{"\tSSID: O1", "\tSSID: O2"};
        QTest::newRow("open network last")
            << QList<WifiNetwork>{{"Lab", true}, {"Guest", false}} << QStringList{"\tSSID: Lab"}
            << QStringList{"\tSSID: Guest"};

        // Scanned names are written to the list files through the shell:
        // they must arrive there as text, and nothing in them may run.
        for (const QString &name : {QString("x;reboot"), QString("`reboot`"), QString("it's; reboot '"),
                                    QString("a\\cb\\\\"), QString("x > /etc/zum-test-target /media/data/y")}) {
            QTest::newRow(qPrintable("hostile name " + name))
                << QList<WifiNetwork>{{name, true}, {"Next", true}, {"Open " + name, false}, {"Last", true}}
                << QStringList{"\tSSID: " + name, "\tSSID: Next", "\tSSID: Last"} << QStringList{"\tSSID: Open " + name};
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

ZUM_TEST_MAIN(TestNet)
#include "tst_net.moc"
