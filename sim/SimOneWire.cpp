#include "SimOneWire.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>

namespace sim {

const char *const SimOneWire::masterDir = "/sys/devices/w1_bus_master1";
const char *const SimOneWire::defaultSlave = "2d-00000a1b2c3d";

namespace {

constexpr int eepromSize = 128;

// Kept apart from the console's own CRC code so the two check each other.
uint16_t crc16CcittFalse(const QByteArray &bytes)
{
    uint16_t crc = 0xFFFF;
    for (const char c : bytes) {
        crc ^= static_cast<uint16_t>(static_cast<unsigned char>(c) << 8);
        for (int bit = 0; bit < 8; ++bit)
            crc = static_cast<uint16_t>(crc & 0x8000 ? (crc << 1) ^ 0x1021 : crc << 1);
    }
    return crc;
}

} // namespace

SimOneWire::SimOneWire(const QString &root)
    : rootDir(root)
{
}

void SimOneWire::ensureBus() const
{
    QDir().mkpath(realPath(QLatin1String(masterDir)));
    QFile remove(realPath(QLatin1String(masterDir) + QStringLiteral("/w1_master_remove")));
    if (!remove.exists() && remove.open(QIODevice::WriteOnly))
        remove.close();
}

void SimOneWire::addSlave(const QString &name) const
{
    ensureBus();
    QDir().mkpath(realPath(QLatin1String(masterDir) + QLatin1Char('/') + name));
    if (!QFileInfo::exists(realPath(eepromPath(name))))
        erase(name);
}

void SimOneWire::removeSlave(const QString &name) const
{
    QDir(realPath(QLatin1String(masterDir) + QLatin1Char('/') + name)).removeRecursively();
}

QStringList SimOneWire::slaves() const
{
    return QDir(realPath(QLatin1String(masterDir))).entryList(QStringList(QStringLiteral("2d-*")), QDir::Dirs,
                                                             QDir::Name);
}

QString SimOneWire::eepromPath(const QString &name) const
{
    return QLatin1String(masterDir) + QLatin1Char('/') + name + QStringLiteral("/eeprom");
}

void SimOneWire::putBytes(const QByteArray &bytes, const QString &name) const
{
    QByteArray content = eeprom(name);
    if (content.size() < eepromSize)
        content.append(QByteArray(eepromSize - content.size(), '\xff'));
    content.replace(0, bytes.size(), bytes);
    QFile file(realPath(eepromPath(name)));
    if (file.open(QIODevice::WriteOnly | QIODevice::Truncate))
        file.write(content.left(qMax(eepromSize, bytes.size())));
}

QByteArray SimOneWire::recordBytes(uint32_t count, uint8_t flags)
{
    QByteArray bytes;
    for (int i = 0; i < 4; ++i)
        bytes.append(static_cast<char>(count >> (8 * i)));
    bytes.append(static_cast<char>(flags));
    const uint16_t crc = crc16CcittFalse(bytes);
    bytes.append(static_cast<char>(crc & 0xFF));
    bytes.append(static_cast<char>(crc >> 8));
    return bytes;
}

qint64 SimOneWire::recordCount(const QString &name) const
{
    const QByteArray bytes = eeprom(name);
    if (bytes.size() < 7)
        return -1;
    uint32_t count = 0;
    for (int i = 3; i >= 0; --i)
        count = (count << 8) | static_cast<unsigned char>(bytes[i]);
    return recordBytes(count, static_cast<uint8_t>(bytes[4])) == bytes.left(7) ? qint64(count) : -1;
}

void SimOneWire::putRecord(uint32_t count, uint8_t flags, const QString &name) const
{
    putBytes(recordBytes(count, flags), name);
}

void SimOneWire::putLegacyText(const QByteArray &text, const QString &name) const
{
    putBytes(text, name);
}

void SimOneWire::erase(const QString &name) const
{
    QFile::remove(realPath(eepromPath(name)));
    QFile file(realPath(eepromPath(name)));
    if (file.open(QIODevice::WriteOnly))
        file.write(QByteArray(eepromSize, '\xff'));
}

void SimOneWire::replaceEeprom(const QString &target, const QString &name) const
{
    QFile::remove(realPath(eepromPath(name)));
    if (!target.isEmpty())
        QFile::link(target, realPath(eepromPath(name)));
}

QByteArray SimOneWire::eeprom(const QString &name) const
{
    QFile file(realPath(eepromPath(name)));
    return file.open(QIODevice::ReadOnly) ? file.read(eepromSize) : QByteArray();
}

QByteArray SimOneWire::removeRequest() const
{
    QFile file(realPath(QLatin1String(masterDir) + QStringLiteral("/w1_master_remove")));
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

} // namespace sim
