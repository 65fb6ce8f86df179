#include "InputThread.h"

#include "Globals.h"
#include "Platform.h"

#include <QDebug>
#include <QFile>

#include <cerrno>
#include <cmath>
#include <fcntl.h>
#include <unistd.h>

namespace {

const char *const adcChannelDir =
    "/sys/devices/platform/soc/2100000.aips-bus/21a0000.i2c/i2c-0/0-0014/iio:device1/in_voltage";

constexpr float kUnreadable = -9999.0f;
constexpr float kOutOfRangeOffset = 9999.0f;
constexpr float kNozzleOffset = 4.0f;

enum Channel { PiezoTempChannel = 2, NozzleTempChannel = 5, BoostTempChannel = 7, AmpTempChannel = 9 };

// Raw count of a channel file, or false when it cannot be opened. Text that
// is not a number reads as 0 counts. Plain POSIX calls keep the cycle cheap:
// the file is still opened, read and closed on every call.
bool readCounts(const QByteArray &file, float *counts)
{
    const int fd = ::open(file.constData(), O_RDONLY | O_CLOEXEC);
    if (fd < 0)
        return false;
    char buffer[128];
    std::size_t used = 0;
    for (;;) {
        const ssize_t n = ::read(fd, buffer + used, sizeof buffer - used);
        if (n > 0 && used + std::size_t(n) < sizeof buffer) {
            used += std::size_t(n);
            continue;
        }
        if (n < 0 && errno == EINTR)
            continue;
        if (n > 0)
            used = sizeof buffer; // longer than any count: not a number
        break;
    }
    ::close(fd);
    bool ok = false;
    const float value = QByteArray::fromRawData(buffer, int(used)).trimmed().toFloat(&ok);
    *counts = ok ? value : 0.0f;
    return true;
}

// Thermistor curve shared by the nozzle and boost supply sensors.
float thermistor(float ohms)
{
    const float ln = float(std::log(double(ohms)));
    const float scaled = float(286.63 - 28.47 * double(ln));
    return scaled + 1.0f;
}

} // namespace

InputThread::InputThread(QObject *parent)
    : QThread(parent)
{
    for (int channel : {PiezoTempChannel, NozzleTempChannel, BoostTempChannel, AmpTempChannel})
        channelFiles[channel] = QFile::encodeName(platform::sysPath(channelPath(channel)));
    heaterisON.store(0);
}

InputThread::~InputThread()
{
    // run() sets the flag on entry, so keep clearing it until the loop is gone.
    do {
        running.store(false);
    } while (!wait(50));
    loopsEnded.load(std::memory_order_acquire);
}

QString InputThread::channelPath(int channel)
{
    return QLatin1String(adcChannelDir) + QString::number(channel) + QStringLiteral("_raw");
}

float InputThread::countsToVolts(float counts)
{
    const float k = 2.5f / 65535.0f;
    return counts * k;
}

float InputThread::piezoTempFromCounts(float counts)
{
    return float((double(countsToVolts(counts)) - 0.319) * 85.951);
}

float InputThread::ampTempFromCounts(float counts)
{
    return float((2.127 - double(countsToVolts(counts))) * 92.42);
}

float InputThread::nozzleTempFromCounts(float counts)
{
    const float v = countsToVolts(counts);
    return thermistor((2550.0f - 510.0f * v) / v);
}

float InputThread::boostTempFromCounts(float counts)
{
    const float v = countsToVolts(counts);
    return thermistor((5000.0f - 1000.0f * v) / v);
}

void InputThread::clearShutdownRequestor()
{
    latched.fetch_and(~(1u << NozzleTempRequestor));
}

void InputThread::setNozzleControl(bool state)
{
    nozzleOn.store(state);
}

void InputThread::stopInputThread()
{
    running.store(false);
}

void InputThread::run()
{
    loopsEnded.load(std::memory_order_acquire);
    running.store(true);
    while (running.load())
        refreshInputs();
    loopsEnded.fetch_add(1, std::memory_order_release);
}

void InputThread::pause()
{
    const int ms = readPauseMs.load();
    if (ms > 0)
        QThread::msleep(ms);
}

void InputThread::refreshInputs()
{
    pT = readPiezoTemp();
    pause();
    nT = readNozzleTemp() - kNozzleOffset;
    pause();
    pcbT = readAmpTemp();
    pause();
    aT = readBoostTemp();
    pause();

    // The voltages and currents are not measured: each turns from "unknown"
    // to 0 on its own cycle, so the screen fills in one value at a time.
    switch (rotationStep) {
    case 1: pV = 0; rotationStep = 2; break;
    case 2: pC = 0; rotationStep = 3; break;
    case 3: pcbV = 0; rotationStep = 4; break;
    case 4: aV = 0; rotationStep = 5; break;
    default: rotationStep = 1; break;
    }

    emit inputValues(pT, pV, pC, pcbT, pcbV, aT, aV, nT);
}

// Atomic because the GUI thread clears the nozzle's latch at any time.
bool InputThread::request(Requestor code, const QString &name)
{
    const unsigned bit = 1u << code;
    if (latched.fetch_or(bit) & bit)
        return false;
    emit callForShutDown(name, true);
    return true;
}

void InputThread::release(Requestor code, const QString &name)
{
    const unsigned bit = 1u << code;
    if (latched.fetch_and(~bit) & bit)
        emit callForShutDown(name, false);
}

float InputThread::readPiezoTemp()
{
    float counts = 0;
    if (!readCounts(channelFiles[PiezoTempChannel], &counts))
        return kUnreadable;
    const float t = piezoTempFromCounts(counts);

    if (t > 85.0f || t <= 0.0f) {
        if (!piezoExceeded) {
            piezoExceeded = true;
            emit piezoTempExceeded(true);
        }
        if (!(latched.load() & (1u << PiezoTempRequestor))) {
            qDebug().noquote() << QStringLiteral("callForShutDown: PIEZO_TEMP.  temp:  ") + QString::number(t);
            request(PiezoTempRequestor, QStringLiteral("PIEZO_TEMP"));
            piezoFault = true;
            emit piezoTempFault(true);
        }
        return t + kOutOfRangeOffset;
    }

    if (piezoExceeded) {
        piezoExceeded = false;
        emit piezoTempExceeded(false);
    }
    if (t < 80.0f)
        release(PiezoTempRequestor, QStringLiteral("PIEZO_TEMP"));
    if (t > 40.0f && !piezoFault) {
        piezoFault = true;
        emit piezoTempFault(true);
    }
    if (t < 38.0f && piezoFault) {
        piezoFault = false;
        emit piezoTempFault(false);
    }
    return t;
}

float InputThread::readNozzleTemp()
{
    float counts = 0;
    if (!readCounts(channelFiles[NozzleTempChannel], &counts))
        return kUnreadable;
    const float t = nozzleTempFromCounts(counts);
    if (std::isnan(t))
        return kOutOfRangeOffset;
    if (t < 5.0f) {
        // A cold nozzle only matters while the heater is meant to be on.
        if (nozzleOn.load())
            request(NozzleTempRequestor, QStringLiteral("NOZZLE_TEMP"));
        return t + kOutOfRangeOffset;
    }
    return t;
}

float InputThread::readAmpTemp()
{
    float counts = 0;
    if (!readCounts(channelFiles[AmpTempChannel], &counts))
        return kUnreadable;
    return supervise(ampTempFromCounts(counts), 90.0f, 85.0f, AmpTempRequestor, QStringLiteral("AMP_TEMP"));
}

float InputThread::readBoostTemp()
{
    float counts = 0;
    if (!readCounts(channelFiles[BoostTempChannel], &counts))
        return kUnreadable;
    return supervise(boostTempFromCounts(counts), 85.0f, 80.0f, BoostSupplyTempRequestor,
                     QStringLiteral("BOOST_SUPPLY_TEMP"));
}

// A board temperature above `limit` (or at or below 0) asks for a shutdown
// and is reported out of range; the request is released below `releaseBelow`.
float InputThread::supervise(float t, float limit, float releaseBelow, Requestor code, const QString &name)
{
    if (t > limit || t <= 0.0f) {
        request(code, name);
        return t + kOutOfRangeOffset;
    }
    if (t < releaseBelow)
        release(code, name);
    return t;
}
