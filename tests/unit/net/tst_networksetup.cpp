// Wired identity: which interface is reported, its MAC address, and the
// address list from ifconfig or, where its wording differs, from the kernel.
#include "InterfaceAddresses.h"
#include "NetTestSupport.h"
#include "NetworkSetup.h"

#include <arpa/inet.h>
#include <ifaddrs.h>
#include <net/if.h>


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

} // namespace

class TestNetworkSetup : public QObject
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

    // The board's ifconfig wording goes through the pipeline; any other
    // wording yields nothing there, and the kernel's non-loopback IPv4
    // addresses are reported instead. Either way: one address per line,
    // stored as returned.
    void ifconfigAddresses_data()
    {
        QTest::addColumn<QByteArray>("ifconfig");
        QTest::addColumn<bool>("boardWording");
        QTest::newRow("board wording") << ifconfigBlock("eth1", "127.0.0.2") + ifconfigBlock("lo  ", "127.0.0.1")
                                              + ifconfigBlock("wlan0", "127.0.0.3")
                                       << true;
        QTest::newRow("other wording") << QByteArray("lo: flags=73<UP,LOOPBACK,RUNNING>  mtu 65536\n"
                                                     "        inet 127.0.0.1  netmask 255.0.0.0\n")
                                       << false;
    }

    void ifconfigAddresses()
    {
        QFETCH(QByteArray, ifconfig);
        QFETCH(bool, boardWording);
        nettest::simRoot().setToolOutput("ifconfig", ifconfig);
        QString expected = "127.0.0.2\n127.0.0.3\n";
        if (!boardWording) {
            expected.clear();
            for (const QString &address : netaddr::systemExternalIpv4())
                expected += address + '\n';
        }
        QCOMPARE(NetworkSetup().getIpFromIfConfig(), expected);
        QCOMPARE(testroot::readFile("/media/data/ipaddress"), expected.toLatin1());
        QCOMPARE(nettest::calls(), QList<QStringList>{QStringList{"ifconfig"}});
    }
};

ZUM_TEST_MAIN(TestNetworkSetup)
#include "tst_networksetup.moc"
