#pragma once

#include <QObject>
#include <QString>
#include <QTimer>

// The fitted valve's lifetime cycle count, which the customer pays by: the
// count its EEPROM holds as last read or written, the cycles dispensed since,
// and the 1-Wire name of the chip they belong to. The cycles go to the chip
// every 20000, before a reboot and when the same chip is read again; they
// never go to another valve's chip. Lives on the window thread.
class ValveCount : public QObject
{
    Q_OBJECT
    Q_PROPERTY(QString deviceId READ deviceId NOTIFY changed)
    Q_PROPERTY(qint64 chipCount READ chipCount NOTIFY changed)
    Q_PROPERTY(qint64 pendingCycles READ pendingCycles NOTIFY changed)
    Q_PROPERTY(qint64 total READ total NOTIFY changed)
    Q_PROPERTY(int flags READ flags NOTIFY changed)
    Q_PROPERTY(bool writeFailed READ writeFailed NOTIFY changed)

public:
    // The record holds the count as a signed 32-bit number.
    static constexpr qint64 maxCount = 2147483647;
    static constexpr qint64 writeStep = 20000;
    static constexpr int retryMs = 10000;

    explicit ValveCount(QObject *parent = nullptr);

    // "" until a chip was read; then the chip the count belongs to, also
    // while it cannot be read.
    QString deviceId() const { return device; }
    qint64 chipCount() const { return onChip; }
    qint64 pendingCycles() const { return pending; }
    qint64 total() const { return onChip + pending; }
    int flags() const { return chipFlags; }
    bool writeFailed() const { return lastWriteFailed; }
    // The read retried while no chip can be read.
    QTimer &retryTimer() { return retry; }

public slots:
    // Reads the fitted chip. The same chip keeps the larger of its count and
    // the one held here; another chip starts from its own count, the cycles
    // held for the old one going to the old one's mirror, and a valve that
    // comes back gets the cycles parked in its mirror back. Whatever is held
    // beyond the chip is written at once. False when no chip can be read;
    // the read is then retried every 10 s.
    bool readValve();
    // Reads the fitted chip when it is not the one the count belongs to (a
    // valve swapped without a fault in between), which leaves the one before
    // with its own cycles.
    void followFittedValve();
    // Adds cycles the fitted valve dispensed (a JS number: ten-digit reports
    // stay whole); a valve swapped in since the last read is read first.
    void addCycles(double cycles);
    // Writes the cycles not yet on the chip; true when nothing is left over.
    // What the chip does not take goes to the valve's mirror.
    bool writePending();

signals:
    void changed();
    // A write of the count did not reach the chip.
    void countWriteFailed();

private:
    bool writeDue() const;
    bool writeHeld();
    void setWriteFailed(bool failed);

    QString device;
    qint64 onChip = 0;
    qint64 pending = 0;
    int chipFlags = 0;
    bool lastWriteFailed = false;
    QTimer retry;
};
