#include "SimControl.h"

#include "SimBoard.h"
#include "SimOneWire.h"
#include "SimRemoteServer.h"
#include "SimSysfs.h"
#include "SimUsbStick.h"

#include <QFile>
#include <QRegularExpression>


namespace sim {

// The words of a command line, each with where it starts, so that a command
// can take the rest of the line verbatim (spaces included).
struct SimControl::Args {
    QByteArray line;
    QList<QByteArray> words;
    QList<int> starts;

    explicit Args(const QByteArray &text)
        : line(text)
    {
        int i = 0;
        while (i < line.size()) {
            while (i < line.size() && (line[i] == ' ' || line[i] == '\t'))
                ++i;
            const int start = i;
            while (i < line.size() && line[i] != ' ' && line[i] != '\t')
                ++i;
            if (i > start) {
                words.append(line.mid(start, i - start));
                starts.append(start);
            }
        }
    }
    int size() const { return words.size(); }
    QByteArray word(int i) const { return words.value(i); }
    // The line from word i on, or empty.
    QByteArray rest(int i) const { return i < words.size() ? line.mid(starts[i]) : QByteArray(); }
};

namespace {

QByteArray ok(const QString &text)
{
    return "ok " + text.toUtf8() + '\n';
}

QByteArray error(const QString &text)
{
    return "error: " + text.toUtf8() + '\n';
}

// A whole number of at most ten digits, no sign, no spaces, not above `max`.
bool parseCount(const QByteArray &text, qint64 max, qint64 *value)
{
    static const QRegularExpression form(QStringLiteral("^[0-9]{1,10}$"));
    if (!form.match(QString::fromLatin1(text)).hasMatch())
        return false;
    *value = text.toLongLong();
    return *value <= max;
}

// Degrees Celsius: an optional minus, up to three digits, up to two decimals.
bool parseCelsius(const QByteArray &text, double *value)
{
    static const QRegularExpression form(QStringLiteral("^-?[0-9]{1,3}(\\.[0-9]{1,2})?$"));
    if (!form.match(QString::fromLatin1(text)).hasMatch())
        return false;
    *value = text.toDouble();
    return *value >= -40.0 && *value <= 200.0;
}

bool parseIpv4(const QByteArray &text)
{
    static const QRegularExpression form(
        QStringLiteral("^([0-9]{1,3})\\.([0-9]{1,3})\\.([0-9]{1,3})\\.([0-9]{1,3})$"));
    const QRegularExpressionMatch match = form.match(QString::fromLatin1(text));
    if (!match.hasMatch())
        return false;
    for (int i = 1; i <= 4; ++i) {
        if (match.captured(i).toInt() > 255)
            return false;
    }
    return true;
}

struct Channel {
    const char *name;
    SimSysfs::TempChannel channel;
};

const Channel channels[] = {
    {"piezo", SimSysfs::PiezoTemp},
    {"nozzle", SimSysfs::NozzleTemp},
    {"amp", SimSysfs::AmpTemp},
    {"boost", SimSysfs::BoostTemp},
};

struct Fault {
    const char *name;
    BoardFault fault;
};

const Fault faults[] = {
    {"normal", BoardFault::None},
    {"silent", BoardFault::Silent},
    {"wrong-echo", BoardFault::WrongEcho},
    {"split-echo", BoardFault::SplitEcho},
};

const char *const eth1 = "/sys/class/net/eth1/";

} // namespace

SimControl::SimControl(const QString &root, SimBoard *board, SimRemoteServer *server)
    : rootDir(root)
    , boardSim(board)
    , serverSim(server)
{
}

QList<QByteArray> SimControl::helpLines()
{
    return {
        "help                          this list",
        "status                        board, inputs, chip, cable and stick on one line",
        "temp <channel> <degC>         piezo|nozzle|amp|boost, -40 to 200 (nozzle: the sensor, shown 4 less)",
        "temp <channel> raw <0-65535>  a raw count (0 or 65535 read as unusable)",
        "temp <channel> empty          an empty channel file (an unreadable sensor)",
        "db9 open|close                the DB9 stop input: open stops a run (gpio502 = 0), close is 1",
        "board normal                  the driver board answers as it should",
        "board silent|wrong-echo|split-echo [replies]  a board fault, for that many replies or until changed",
        "board send <text>             the board sends <text> + CR LF to the console",
        "board report <count>          the board sends a \"P17:\" count report",
        "eeprom plug good|legacy|flipped <count> [id]  a valve chip: record, old text, record with a bit flipped",
        "eeprom plug blank [id]        an erased valve chip (id: 12 hex digits)",
        "eeprom unplug                 no valve chip on the 1-Wire bus",
        "net pull|plug [address]       pull or plug the network cable (eth1); an IPv4 address for ifconfig",
        "usb insert [<stickpath>=<file>|<folder>]...  plug a stick holding those host files (absolute paths)",
        "usb remove                    pull the stick",
        "server push <n> <json>        the server uploads profile n (1 to 99): \"#<n>#<json>\"",
        "server send <text>            the server sends <text> (e.g. @3, GET#EPROM, ZUM_IOT_REQ)",
    };
}

QByteArray SimControl::execute(const QByteArray &rawLine)
{
    QByteArray line = rawLine;
    if (line.endsWith('\r'))
        line.chop(1);
    if (line.size() > maxLineLength)
        return error(QStringLiteral("line longer than %1 bytes").arg(maxLineLength));
    for (const char c : line) {
        if ((static_cast<unsigned char>(c) < 0x20 && c != '\t') || c == 0x7f)
            return error(QStringLiteral("control character in the line"));
    }
    const Args args(line);
    const QByteArray command = args.word(0);
    if (command.isEmpty())
        return error(QStringLiteral("empty line; try help"));
    if (command == "help" && args.size() == 1) {
        QByteArray answer;
        const QList<QByteArray> lines = helpLines();
        for (const QByteArray &help : lines)
            answer += "  " + help + '\n';
        return answer + ok(QStringLiteral("%1 commands").arg(lines.size()));
    }
    if (command == "status" && args.size() == 1)
        return status();
    if (command == "temp")
        return temp(args);
    if (command == "db9")
        return db9(args);
    if (command == "board")
        return board(args);
    if (command == "eeprom")
        return eeprom(args);
    if (command == "net")
        return net(args);
    if (command == "usb")
        return usb(args);
    if (command == "server")
        return server(args);
    return error(QStringLiteral("unknown command \"%1\"; try help").arg(QString::fromUtf8(command.left(40))));
}

QByteArray SimControl::temp(const Args &args) const
{
    const Channel *found = nullptr;
    for (const Channel &channel : channels) {
        if (args.word(1) == channel.name)
            found = &channel;
    }
    if (!found)
        return error(QStringLiteral("temp: channel must be piezo, nozzle, amp or boost"));
    const SimSysfs sysfs(rootDir);
    const QString name = QLatin1String(found->name);
    if (args.size() == 3 && args.word(2) == "empty") {
        sysfs.setChannelText(found->channel, QByteArray());
        return ok(name + QStringLiteral(" empty"));
    }
    if (args.size() == 4 && args.word(2) == "raw") {
        qint64 counts = 0;
        if (!parseCount(args.word(3), 65535, &counts))
            return error(QStringLiteral("temp: raw count must be 0 to 65535"));
        sysfs.setChannelText(found->channel, QByteArray::number(counts) + '\n');
        return ok(name + QStringLiteral(" %1 counts").arg(counts));
    }
    double celsius = 0;
    if (args.size() != 3 || !parseCelsius(args.word(2), &celsius))
        return error(QStringLiteral("temp: give degrees from -40 to 200 (e.g. 86 or 25.5), raw <count> or empty"));
    sysfs.setTemperature(found->channel, celsius);
    return ok(name + QStringLiteral(" %1 C = %2 counts").arg(celsius).arg(SimSysfs::countsForTemp(found->channel, celsius)));
}

QByteArray SimControl::db9(const Args &args) const
{
    const QByteArray state = args.word(1);
    if (args.size() != 2 || (state != "open" && state != "close"))
        return error(QStringLiteral("db9: open or close"));
    SimSysfs(rootDir).setDispenseControl(state == "open" ? 0 : 1);
    return ok(state == "open" ? QStringLiteral("db9 open (gpio502 = 0)") : QStringLiteral("db9 closed (gpio502 = 1)"));
}

QByteArray SimControl::board(const Args &args) const
{
    if (!boardSim || !boardSim->isRunning())
        return error(QStringLiteral("board: the simulator runs without the driver board"));
    const QByteArray what = args.word(1);
    if (what == "send") {
        const QByteArray text = args.rest(2);
        if (text.isEmpty() || text.size() > 200)
            return error(QStringLiteral("board: send 1 to 200 characters"));
        boardSim->send(text + "\r\n");
        return ok(QStringLiteral("sent ") + QString::fromUtf8(text));
    }
    if (what == "report") {
        qint64 count = 0;
        if (args.size() != 3 || !parseCount(args.word(2), 9999999999LL, &count))
            return error(QStringLiteral("board: report <count> (0 to 9999999999)"));
        boardSim->send(countReport(count));
        return ok(QStringLiteral("sent a count report of %1").arg(count));
    }
    for (const Fault &fault : faults) {
        if (what != fault.name)
            continue;
        const bool none = fault.fault == BoardFault::None;
        qint64 replies = -1;
        if (args.size() > (none ? 2 : 3))
            return error(QStringLiteral("board: too many words"));
        if (args.size() == 3 && (!parseCount(args.word(2), 1000000, &replies) || replies == 0))
            return error(QStringLiteral("board: replies must be 1 to 1000000"));
        boardSim->setFaultMode(fault.fault, int(replies));
        return ok(QStringLiteral("board %1").arg(QLatin1String(fault.name))
                  + (replies > 0 ? QStringLiteral(" for %1 replies").arg(replies) : QString()));
    }
    return error(QStringLiteral("board: normal, silent, wrong-echo, split-echo, send or report"));
}

QByteArray SimControl::eeprom(const Args &args) const
{
    const SimOneWire bus(rootDir);
    const QByteArray what = args.word(1);
    if (what == "unplug" && args.size() == 2) {
        const QStringList slaves = bus.slaves();
        for (const QString &slave : slaves)
            bus.removeSlave(slave);
        return ok(QStringLiteral("no valve chip"));
    }
    const QString usage = QStringLiteral("eeprom: plug good|legacy|flipped <count> [id], plug blank [id] or unplug");
    const QByteArray kind = args.word(2);
    const bool counted = kind == "good" || kind == "legacy" || kind == "flipped";
    if (what != "plug" || (!counted && kind != "blank"))
        return error(usage);
    qint64 count = 0;
    const int idWord = counted ? 4 : 3;
    if (counted && !parseCount(args.word(3), 2147483647, &count))
        return error(QStringLiteral("eeprom: count must be 0 to 2147483647"));
    static const QRegularExpression idForm(QStringLiteral("^[0-9a-f]{12}$"));
    QString slave = QLatin1String(SimOneWire::defaultSlave);
    if (args.size() == idWord + 1) {
        if (!idForm.match(QString::fromLatin1(args.word(idWord))).hasMatch())
            return error(QStringLiteral("eeprom: id must be 12 lower-case hex digits"));
        slave = QStringLiteral("2d-") + QString::fromLatin1(args.word(idWord));
    } else if (args.size() != idWord) {
        return error(usage);
    }

    // One valve at a time: the chip that was there goes first.
    const QStringList old = bus.slaves();
    for (const QString &name : old)
        bus.removeSlave(name);
    bus.addSlave(slave);
    if (kind == "good") {
        bus.putRecord(uint32_t(count), 1, slave);
    } else if (kind == "legacy") {
        bus.putLegacyText(QByteArray::number(count) + '#', slave);
    } else if (kind == "flipped") {
        QByteArray record = SimOneWire::recordBytes(uint32_t(count), 1);
        record[1] = char(record[1] ^ 0x01); // the stored CRC no longer matches
        bus.putBytes(record, slave);
    }
    return ok(QStringLiteral("plugged %1 chip %2").arg(QString::fromLatin1(kind), slave));
}

QByteArray SimControl::net(const Args &args) const
{
    const QByteArray what = args.word(1);
    const bool plug = what == "plug";
    if ((!plug && what != "pull") || args.size() > (plug ? 3 : 2))
        return error(QStringLiteral("net: pull, or plug [address]"));
    const QByteArray address = args.word(2);
    if (plug && args.size() == 3 && !parseIpv4(address))
        return error(QStringLiteral("net: address must be IPv4 like 192.0.2.20"));

    QFile macFile(rootDir + QLatin1String(eth1) + QStringLiteral("address"));
    QByteArray mac = macFile.open(QIODevice::ReadOnly) ? macFile.read(64).trimmed() : QByteArray();
    if (mac.isEmpty())
        mac = "02:00:00:00:00:01";
    QByteArray ifconfig = "eth1      Link encap:Ethernet  HWaddr " + mac + '\n';
    if (!address.isEmpty())
        ifconfig += "          inet addr:" + address + "  Bcast:" + address.left(address.lastIndexOf('.'))
            + ".255  Mask:255.255.255.0\n";
    ifconfig += plug ? "          UP BROADCAST RUNNING MULTICAST  MTU:1500  Metric:1\n"
                     : "          UP BROADCAST MULTICAST  MTU:1500  Metric:1\n";
    // With the cable in and no address given, the fake ifconfig prints its default.
    if (plug && address.isEmpty())
        QFile::remove(rootDir + QStringLiteral("/sim/ifconfig.out"));
    else
        writeAtomically(QStringLiteral("/sim/ifconfig.out"), ifconfig);
    writeAtomically(QLatin1String(eth1) + QStringLiteral("operstate"), plug ? "up\n" : "down\n");
    if (!plug)
        return ok(QStringLiteral("cable out"));
    return ok(QStringLiteral("cable in") + (address.isEmpty() ? QString() : QStringLiteral(", eth1 at ") + QString::fromLatin1(address)));
}

QByteArray SimControl::usb(const Args &args) const
{
    const SimUsbStick stick(rootDir);
    if (args.word(1) == "remove" && args.size() == 2) {
        stick.remove();
        return ok(QStringLiteral("stick out"));
    }
    if (args.word(1) != "insert")
        return error(QStringLiteral("usb: insert [<stickpath>=<file>|<folder>]... or remove"));
    QList<SimUsbStick::Entry> entries;
    for (int i = 2; i < args.size(); ++i) {
        const QString word = QString::fromUtf8(args.word(i));
        const int equals = word.indexOf(QLatin1Char('='));
        if (equals == 0)
            return error(QStringLiteral("usb: no path on the stick before '='"));
        if (equals > 0)
            entries.append({word.left(equals), word.mid(equals + 1)});
        else
            entries.append({QString(), word});
    }
    const QString why = stick.insert(entries, maxStickBytes, maxStickFiles);
    if (!why.isEmpty())
        return error(QStringLiteral("usb: ") + why);
    return ok(QStringLiteral("stick in with %1 files").arg(stick.fileCount()));
}

// Requests wait until the console has answered the one before, as the
// console takes two requests in one read as one.
QByteArray SimControl::server(const Args &args) const
{
    if (!serverSim)
        return error(QStringLiteral("server: the simulator runs without the remote server"));
    const QByteArray what = args.word(1);
    QByteArray request;
    if (what == "push") {
        qint64 number = 0;
        const QByteArray json = args.rest(3);
        if (args.size() < 4 || !parseCount(args.word(2), 99, &number) || number == 0)
            return error(QStringLiteral("server: push <n> <json>, n from 1 to 99"));
        if (json.contains('#'))
            return error(QStringLiteral("server: a pushed profile cannot hold '#'"));
        request = "#" + QByteArray::number(number) + "#" + json;
    } else if (what == "send" && args.size() > 2) {
        request = args.rest(2);
    } else {
        return error(QStringLiteral("server: push <n> <json> or send <text>"));
    }
    if (!serverSim->sendWhenReady(request))
        return error(QStringLiteral("server: %1 requests already wait").arg(SimRemoteServer::maxPending));
    const int waiting = serverSim->pendingCount();
    return ok(waiting == 0 ? QStringLiteral("sent to the console")
                           : QStringLiteral("queued (%1 waiting for the console)").arg(waiting));
}

QByteArray SimControl::status() const
{
    QString text;
    if (!boardSim || !boardSim->isRunning()) {
        text = QStringLiteral("board=off");
    } else {
        QString fault;
        for (const Fault &entry : faults) {
            if (entry.fault == boardSim->faultMode())
                fault = QLatin1String(entry.name);
        }
        text = QStringLiteral("board=%1 dispensing=%2 runs=%3 count=%4")
                   .arg(fault, QLatin1String(boardSim->isDispensing() ? "yes" : "no"))
                   .arg(boardSim->runsStarted())
                   .arg(boardSim->cycleCount());
    }
    const QByteArray level = SimSysfs(rootDir).gpioValue(502).trimmed();
    text += QStringLiteral(" db9=")
        + (level == "0" ? QStringLiteral("open") : level == "1" ? QStringLiteral("closed") : QStringLiteral("?"));
    QFile operstate(rootDir + QLatin1String(eth1) + QStringLiteral("operstate"));
    text += QStringLiteral(" net=")
        + QString::fromLatin1(operstate.open(QIODevice::ReadOnly) ? operstate.read(16).trimmed() : QByteArray("?"));
    const SimUsbStick stick(rootDir);
    text += QStringLiteral(" usb=")
        + (stick.isInserted() ? QStringLiteral("in(%1 files)").arg(stick.fileCount()) : QStringLiteral("out"));
    if (serverSim) {
        text += QStringLiteral(" server=%1(%2 connections, %3 waiting)")
                    .arg(QLatin1String(serverSim->hasClient() ? "connected" : "idle"))
                    .arg(serverSim->connectionCount())
                    .arg(serverSim->pendingCount());
    }
    text += QStringLiteral(" eeprom=") + eepromState();
    for (const Channel &channel : channels)
        text += QLatin1Char(' ') + QLatin1String(channel.name) + QLatin1Char('=') + tempState(channel.channel);
    return ok(text);
}

// "none", or the first chip's id with what its record holds.
QString SimControl::eepromState() const
{
    const SimOneWire bus(rootDir);
    const QStringList slaves = bus.slaves();
    if (slaves.isEmpty())
        return QStringLiteral("none");
    const QByteArray bytes = bus.eeprom(slaves.first());
    static const QRegularExpression legacy(QStringLiteral("^([0-9]{1,10})#"));
    const QRegularExpressionMatch match = legacy.match(QString::fromLatin1(bytes.left(12)));
    QString state;
    if (bytes.size() < 7) {
        state = QStringLiteral("unreadable");
    } else if (bytes.count('\xff') == bytes.size()) {
        state = QStringLiteral("blank");
    } else if (match.hasMatch()) {
        state = QStringLiteral("legacy(%1)").arg(match.captured(1));
    } else {
        const qint64 count = bus.recordCount(slaves.first());
        state = count >= 0 ? QStringLiteral("good(%1)").arg(count) : QStringLiteral("bad-crc");
    }
    return slaves.first() + QLatin1Char(':') + state;
}

// The channel in degrees, found by bisection on the simulator's own
// conversion (monotonic on every channel), then its raw count.
QString SimControl::tempState(int channel) const
{
    QFile file(rootDir + SimSysfs::channelPath(channel));
    if (!file.open(QIODevice::ReadOnly))
        return QStringLiteral("missing");
    const QByteArray text = file.read(32).trimmed();
    qint64 counts = 0;
    if (text.isEmpty())
        return QStringLiteral("empty");
    if (!parseCount(text, 65535, &counts))
        return QStringLiteral("garbage");
    const auto ch = SimSysfs::TempChannel(channel);
    double lo = -60.0;
    double hi = 300.0;
    const bool rising = SimSysfs::countsForTemp(ch, hi) > SimSysfs::countsForTemp(ch, lo);
    for (int i = 0; i < 40; ++i) {
        const double mid = (lo + hi) / 2;
        if ((SimSysfs::countsForTemp(ch, mid) < counts) == rising)
            lo = mid;
        else
            hi = mid;
    }
    return QStringLiteral("%1C/%2").arg(lo, 0, 'f', 1).arg(counts);
}

void SimControl::writeAtomically(const QString &boardPath, const QByteArray &bytes) const
{
    SimSysfs::replaceFile(rootDir + boardPath, bytes, QStringLiteral(".ctl-tmp"));
}

} // namespace sim
