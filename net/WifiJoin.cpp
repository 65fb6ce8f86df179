#include "WifiClass.h"

#include "NetShell.h"
#include "Platform.h"

#include <QFile>
#include <QSaveFile>

namespace {
const QString supplicantConfig = QStringLiteral("/etc/wpa_supplicant.conf");
const QString dhcpLog = QStringLiteral("/media/data/wifiStatus.log");
const QString blockScratch = QStringLiteral("/media/data/wpa_block.tmp");

enum class BlockWrite { Written, Rejected, Failed };

// The configuration without the "network={ ... }" blocks that hold `ssidLine`.
QByteArray withoutNetwork(const QByteArray &config, const QByteArray &ssidLine)
{
    QList<QByteArray> kept;
    QList<QByteArray> block;
    bool inBlock = false;
    bool same = false;
    for (const QByteArray &line : config.split('\n')) {
        const QByteArray word = line.trimmed();
        if (!inBlock && word == "network={") {
            inBlock = true;
            same = false;
        }
        if (!inBlock) {
            kept.append(line);
            continue;
        }
        block.append(line);
        same = same || word == ssidLine;
        if (word == "}") {
            if (!same)
                kept += block;
            block.clear();
            inBlock = false;
        }
    }
    kept += block; // an unterminated block at the end stays as it was
    return kept.join('\n');
}

// Puts the tool's block for the network into the supplicant configuration in
// place of any earlier block for the same network, so that a join repeated at
// every start does not grow the file. The tool writes to a scratch file first
// (removed at once: it holds the pass phrase); the configuration is replaced
// atomically.
BlockWrite writeNetworkBlock(const QString &ssid, const QString &passcode)
{
    netshell::run("wpa_passphrase " + netshell::quoted(ssid) + ">" + netshell::path(blockScratch) + " "
                  + netshell::quoted(passcode));
    bool ok = false;
    const QByteArray block = netshell::readBoardFile(blockScratch, &ok);
    QFile::remove(platform::sysPath(blockScratch));
    // The tool prints its complaint instead of a network block.
    if (block.contains("Passphrase must be 8..63 characters"))
        return BlockWrite::Rejected;
    QByteArray ssidLine;
    for (const QByteArray &line : block.split('\n')) {
        if (line.trimmed().startsWith("ssid=")) {
            ssidLine = line.trimmed();
            break;
        }
    }
    if (!ok || !block.trimmed().startsWith("network={") || ssidLine.isEmpty()) {
        qCWarning(lcNet) << "wpa_passphrase gave no network block";
        return BlockWrite::Failed;
    }

    QByteArray config = withoutNetwork(netshell::readBoardFile(supplicantConfig), ssidLine);
    if (!config.isEmpty() && !config.endsWith('\n'))
        config += '\n';
    QSaveFile file(platform::sysPath(supplicantConfig));
    if (!file.open(QIODevice::WriteOnly) || file.write(config + block) != config.size() + block.size()
        || !file.commit()) {
        qCWarning(lcNet) << "cannot write" << supplicantConfig;
        return BlockWrite::Failed;
    }
    return BlockWrite::Written;
}
} // namespace

QString WifiClass::ssidProblem(const QString &ssid)
{
    const int bytes = ssid.toUtf8().size();
    if (bytes == 0)
        return QStringLiteral("Network name is empty");
    if (bytes > 32)
        return QStringLiteral("Network name is longer than 32 bytes");
    if (ssid.startsWith(QLatin1Char('-')))
        return QStringLiteral("Network name starts with \"-\"");
    if (ssid.contains(QLatin1Char('"')))
        return QStringLiteral("Network name holds a double quote");
    for (const QChar c : ssid) {
        if (c.category() == QChar::Other_Control)
            return QStringLiteral("Network name holds a control character");
    }
    return QString();
}

bool WifiClass::refused(const QString &ssid)
{
    const QString problem = ssidProblem(ssid);
    if (problem.isEmpty())
        return false;
    qCWarning(lcNet).noquote() << "refused to join:" << problem;
    emit ssidRefused(ssid, problem);
    return true;
}

bool WifiClass::connectToSSID(const QString &ssid)
{
    return !refused(ssid) && joinOpen(ssid);
}

bool WifiClass::connectToSSID(const QString &ssid, const QString &passcode)
{
    return !refused(ssid) && joinSecured(ssid, passcode);
}

bool WifiClass::joinOpen(const QString &ssid)
{
    netshell::run(QByteArrayLiteral("ifconfig wlan0 up"));
    netshell::run("iw dev wlan0 connect " + netshell::quoted(ssid));
    netshell::run(QByteArrayLiteral("udhcpc -i wlan0 -q -n > /media/data/wifiStatus.log"));
    return leaseObtained();
}

bool WifiClass::joinSecured(const QString &ssid, const QString &passcode)
{
    netshell::run(QByteArrayLiteral("killall wpa_supplicant"));
    const BlockWrite written = writeNetworkBlock(ssid, passcode);
    if (written == BlockWrite::Rejected)
        resetSupplicantConfig();
    if (written != BlockWrite::Written)
        return false;

    netshell::run(QByteArrayLiteral("ifconfig wlan0 up"));
    netshell::run(QByteArrayLiteral("wpa_supplicant -B -i wlan0 -c /etc/wpa_supplicant.conf"));
    netshell::run(QByteArrayLiteral("udhcpc -i wlan0 -q -n> /media/data/wifiStatus.log"));
    return leaseObtained();
}

bool WifiClass::disconnectFromSSID(const QString &ssid)
{
    netshell::run("iw dev wlan0 disconnect " + netshell::quoted(ssid));
    resetSupplicantConfig();
    netshell::run(QByteArrayLiteral("killall wpa_supplicant"));
    return netshell::run(QByteArrayLiteral("ifconfig wlan0 down")) >= 0;
}

// Leaves the two-line configuration the supplicant starts from. The lines are
// quoted so that their paths stay the board's own even off the board.
void WifiClass::resetSupplicantConfig()
{
    netshell::run(QByteArrayLiteral("rm -f /etc/wpa_supplicant.conf"));
    netshell::run(QByteArrayLiteral("echo 'ctrl_interface=/var/run/wpa_supplicant' >> /etc/wpa_supplicant.conf"));
    netshell::run(QByteArrayLiteral("echo 'update_config=1' >> /etc/wpa_supplicant.conf"));
}

bool WifiClass::leaseObtained()
{
    bool ok = false;
    const QByteArray status = netshell::readBoardFile(dhcpLog, &ok);
    if (!ok)
        qCWarning(lcNet) << "no DHCP client output in" << dhcpLog;
    return ok && status.contains("obtained");
}
