#pragma once

#include <QByteArray>
#include <QString>
#include <QStringList>

#include <cstdint>

namespace sim {

// The valve's 1-Wire bus in a fake board root: the bus master folder with
// its "w1_master_remove" file and one folder per slave ("2d-" + 12 hex
// digits) holding a 128-byte "eeprom" file. Nothing here runs: removal
// requests are only recorded, as a test wants to see them.
class SimOneWire
{
public:
    static const char *const masterDir; // "/sys/devices/w1_bus_master1"
    static const char *const defaultSlave; // "2d-00000a1b2c3d"

    explicit SimOneWire(const QString &root);

    // Creates the bus master folder and an empty w1_master_remove.
    void ensureBus() const;
    // Adds a slave whose EEPROM is erased (all 0xFF) unless it exists already.
    void addSlave(const QString &name = QLatin1String(defaultSlave)) const;
    void removeSlave(const QString &name) const;
    QStringList slaves() const;

    // Board path of a slave's EEPROM file.
    QString eepromPath(const QString &name = QLatin1String(defaultSlave)) const;

    // Puts bytes at offset 0, keeping the rest of the 128 bytes.
    void putBytes(const QByteArray &bytes, const QString &name = QLatin1String(defaultSlave)) const;
    // A valid record: count (u32 LE), flags, CRC-16/CCITT-FALSE (u16 LE).
    void putRecord(uint32_t count, uint8_t flags, const QString &name = QLatin1String(defaultSlave)) const;
    // The text format older consoles wrote, e.g. "123456#".
    void putLegacyText(const QByteArray &text, const QString &name = QLatin1String(defaultSlave)) const;
    // An erased chip: 128 bytes of 0xFF.
    void erase(const QString &name = QLatin1String(defaultSlave)) const;
    // Replaces the EEPROM file by a link to `target` ("/dev/zero" forgets
    // every write, "/dev/full" refuses them) or removes it (`target` empty),
    // which makes the chip unopenable.
    void replaceEeprom(const QString &target, const QString &name = QLatin1String(defaultSlave)) const;

    QByteArray eeprom(const QString &name = QLatin1String(defaultSlave)) const;
    // What the console last wrote to w1_master_remove.
    QByteArray removeRequest() const;

    static QByteArray recordBytes(uint32_t count, uint8_t flags);
    // The count of the intact record at the start of the chip, -1 when there
    // is none (no chip, erased, old text or a bad CRC).
    qint64 recordCount(const QString &name = QLatin1String(defaultSlave)) const;

private:
    QString realPath(const QString &boardPath) const { return rootDir + boardPath; }

    QString rootDir;
};

} // namespace sim
