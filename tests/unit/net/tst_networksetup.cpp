#include "InterfaceAddresses.h"
#include "NetTestSupport.h"
#include "NetworkSetup.h"

#include <QHostAddress>

#include <arpa/inet.h>
#include <ifaddrs.h>
#include <net/if.h>
#include <netinet/in.h>

#include <deque>

namespace {

// A hand-made interface address list. The addresses are documentation ones
// kept in memory; nothing is ever sent to them.
class FakeList
{
public:
    FakeList() = default;
    // Entries point at each other; a copy would point into the original.
    FakeList(const FakeList &) = delete;
    FakeList &operator=(const FakeList &) = delete;

    FakeList &ipv4(const char *name, const char *address, unsigned flags = IFF_UP)
    {
        sockaddr_in &in = v4.emplace_back();
        in.sin_family = AF_INET;
        inet_pton(AF_INET, address, &in.sin_addr);
        return add(name, reinterpret_cast<sockaddr *>(&in), flags);
    }
    FakeList &ipv6(const char *name, const char *address)
    {
        sockaddr_in6 &in = v6.emplace_back();
        in.sin6_family = AF_INET6;
        inet_pton(AF_INET6, address, &in.sin6_addr);
        return add(name, reinterpret_cast<sockaddr *>(&in), IFF_UP);
    }
    FakeList &noAddress(const char *name) { return add(name, nullptr, IFF_UP); }

    const ifaddrs *head() const { return entries.empty() ? nullptr : &entries.front(); }

private:
    FakeList &add(const char *name, sockaddr *address, unsigned flags)
    {
        ifaddrs &entry = entries.emplace_back();
        entry.ifa_name = const_cast<char *>(name);
        entry.ifa_addr = address;
        entry.ifa_flags = flags;
        if (entries.size() > 1)
            entries[entries.size() - 2].ifa_next = &entry;
        return *this;
    }

    // deques keep element addresses stable as the list grows
    std::deque<ifaddrs> entries;
    std::deque<sockaddr_in> v4;
    std::deque<sockaddr_in6> v6;
};

// The list every case of the address walks runs over.
void fillSample(FakeList &list)
{
    list.noAddress("tun0")
        .ipv4("lo", "127.0.0.1", IFF_UP | IFF_LOOPBACK)
        .ipv6("eth1", "2001:db8::1")
        .ipv4("eth1", "192.0.2.10")
        .ipv4("eth10", "192.0.2.99")
        .ipv4("wlan0", "198.51.100.7")
        .ipv4("dummy0", "127.0.0.53")
        .ipv4("eth1", "192.0.2.11");
}

} // namespace

// Wired identity: which interface is reported, its MAC address, and the
// address list from ifconfig or, where its wording differs, from the kernel.
class TestNetworkSetup : public QObject
{
    Q_OBJECT

private slots:
    void init() { nettest::reset(); }

    void interfaceChoice_data();
    void interfaceChoice();
    void lastIpv4Wins_data();
    void lastIpv4Wins();
    void externalAddresses();
    void machineListIsReadable();
    void ifconfigAddresses_data();
    void ifconfigAddresses();
    void fallbackToKernelList();
};

void TestNetworkSetup::interfaceChoice_data()
{
    QTest::addColumn<bool>("pcInterface");
    QTest::addColumn<QString>("expected");
    QTest::newRow("board") << false << "eth1";
    QTest::newRow("development PC") << true << "enp0s25";
}

void TestNetworkSetup::interfaceChoice()
{
    QFETCH(bool, pcInterface);
    QFETCH(QString, expected);
    nettest::simNet().setInterface("eth1", "02:00:00:00:00:e1");
    if (pcInterface)
        nettest::simNet().setInterface("enp0s25", "02:00:00:00:00:25");

    NetworkSetup network;
    QCOMPARE(network.interfaceName(), expected);
    QCOMPARE(network.get_mac_address(), QString(pcInterface ? "02:00:00:00:00:25\n" : "02:00:00:00:00:e1\n"));

    QVERIFY(QDir(testroot::path("/sys/class/net/" + expected)).removeRecursively());
    QCOMPARE(network.get_mac_address(), QString());
}

void TestNetworkSetup::lastIpv4Wins_data()
{
    QTest::addColumn<QString>("name");
    QTest::addColumn<QString>("expected");
    QTest::newRow("two addresses, last listed wins") << "eth1" << "192.0.2.11";
    QTest::newRow("name matched exactly") << "eth10" << "192.0.2.99";
    QTest::newRow("only an IPv6 address or none") << "tun0" << "";
    QTest::newRow("case matters") << "ETH1" << "";
}

void TestNetworkSetup::lastIpv4Wins()
{
    QFETCH(QString, name);
    QFETCH(QString, expected);
    FakeList list;
    fillSample(list);
    QCOMPARE(netaddr::lastIpv4Of(list.head(), name), expected);
}

void TestNetworkSetup::externalAddresses()
{
    FakeList list;
    fillSample(list);
    QCOMPARE(netaddr::externalIpv4(list.head()),
             (QStringList{"192.0.2.10", "192.0.2.99", "198.51.100.7", "192.0.2.11"}));
    QCOMPARE(netaddr::externalIpv4(nullptr), QStringList());
    QCOMPARE(netaddr::lastIpv4Of(nullptr, "eth1"), QString());
}

// Reads the machine's own list, without changing anything.
void TestNetworkSetup::machineListIsReadable()
{
    QVERIFY(netaddr::systemIpv4Of("lo").startsWith("127."));
    QCOMPARE(netaddr::systemIpv4Of("no-such-interface"), QString());
}

// One interface as the board's ifconfig prints it.
static QByteArray ifconfigBlock(const char *name, const char *address)
{
    return QByteArray(name) + "      Link encap:Ethernet\n          inet addr:" + address + "  Mask:255.0.0.0\n";
}

void TestNetworkSetup::ifconfigAddresses_data()
{
    QTest::addColumn<QByteArray>("ifconfig");
    QTest::addColumn<QString>("expected");
    QTest::newRow("wired only") << ifconfigBlock("eth1", "127.0.0.2") + ifconfigBlock("lo  ", "127.0.0.1")
                                << "127.0.0.2\n";
    QTest::newRow("wired and wireless")
        << ifconfigBlock("eth1", "127.0.0.2") + ifconfigBlock("lo  ", "127.0.0.1") + ifconfigBlock("wlan0", "127.0.0.3")
        << "127.0.0.2\n127.0.0.3\n";
}

void TestNetworkSetup::ifconfigAddresses()
{
    QFETCH(QByteArray, ifconfig);
    QFETCH(QString, expected);
    nettest::simRoot().setToolOutput("ifconfig", ifconfig);

    NetworkSetup network;
    QCOMPARE(network.getIpFromIfConfig(), expected);
    QCOMPARE(testroot::readFile("/media/data/ipaddress"), expected.toLatin1());
    QCOMPARE(nettest::calls(), QList<QStringList>{QStringList{"ifconfig"}});
}

// An ifconfig without the "inet addr:" wording: the machine's own
// non-loopback IPv4 addresses, one per line, are reported and stored.
void TestNetworkSetup::fallbackToKernelList()
{
    nettest::simRoot().setToolOutput("ifconfig",
                                     "lo: flags=73<UP,LOOPBACK,RUNNING>  mtu 65536\n"
                                     "        inet 127.0.0.1  netmask 255.0.0.0\n");
    NetworkSetup network;
    const QString listed = network.getIpFromIfConfig();
    QCOMPARE(testroot::readFile("/media/data/ipaddress"), listed.toLatin1());
    QVERIFY(listed.isEmpty() || listed.endsWith('\n'));
    const QStringList lines = listed.split('\n', Qt::SkipEmptyParts);
    QCOMPARE(lines.size(), listed.count('\n'));
    for (const QString &line : lines) {
        QHostAddress address;
        QVERIFY2(address.setAddress(line) && address.protocol() == QAbstractSocket::IPv4Protocol, qPrintable(line));
        QVERIFY2(!address.isLoopback(), qPrintable(line));
    }
}

ZUM_TEST_MAIN(TestNetworkSetup)
#include "tst_networksetup.moc"
