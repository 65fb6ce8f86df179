#pragma once

#include <QByteArray>
#include <QString>
#include <QThread>

#include <array>
#include <atomic>

// Samples the board's analogue temperature inputs on a thread of its own,
// converts them to degrees Celsius, reports them every cycle and raises or
// releases controller shutdown requests on limit crossings. Each input holds
// a request of its own, so one input's recovery never releases another's.
class InputThread : public QThread
{
    Q_OBJECT

public:
    // The inputs that may request a shutdown; a latched request is bit 1 << code.
    enum Requestor {
        NoRequestor = 0,
        PiezoTempRequestor = 1,
        BoostSupplyTempRequestor = 2,
        SupplyVoltageRequestor = 3,
        AmpTempRequestor = 4,
        NozzleTempRequestor = 5,
    };

    explicit InputThread(QObject *parent = nullptr);
    // Stops and joins the loop so that a running thread is never destroyed.
    ~InputThread() override;

    // Clears the requests this thread never releases by itself (the cold
    // nozzle's), once the operator has dealt with them; the others are
    // released by their inputs only.
    void clearShutdownRequestor();
    unsigned latchedRequests() const { return latched.load(); }
    bool nozzleControl() const { return nozzleOn.load(); }
    bool isRunningFlag() const { return running.load(); }

    // Pause after each channel read, in milliseconds (5 on the board; tests may shorten it).
    void setReadPauseMs(int ms) { readPauseMs.store(ms); }

    // Single-step conversions of raw ADC counts to degrees Celsius.
    static float countsToVolts(float counts);
    static float piezoTempFromCounts(float counts);
    static float nozzleTempFromCounts(float counts);
    static float ampTempFromCounts(float counts);
    static float boostTempFromCounts(float counts);

    static QString channelPath(int channel);

signals:
    void inputValues(float pT, float pV, float pC, float pcbT, float pcbV, float aT, float aV, float nT);
    void piezoTempFault(bool state);
    void callForShutDown(QString input, bool state);
    void piezoTempExceeded(bool exceeded);
    void nozzleTempReachedTarget(bool reached);

public slots:
    void refreshInputs();
    void setNozzleControl(bool state);
    void stopInputThread();

protected:
    void run() override;

private:
    float readPiezoTemp();
    float readNozzleTemp();
    float readAmpTemp();
    float readBoostTemp();
    float supervise(float t, float limit, float releaseBelow, Requestor code, const QString &name);
    void pause();
    bool request(Requestor code, const QString &name);
    void release(Requestor code, const QString &name);

    std::atomic<bool> running{true};
    // QThread::wait() synchronises inside Qt, out of ThreadSanitizer's sight;
    // each loop's end is released here and acquired by whoever comes next
    // (a restarted loop, or the destructor after the join).
    std::atomic<unsigned> loopsEnded{0};
    int rotationStep = 1;
    float pT = -9999;
    float pV = -9999;
    float pC = -9999;
    float aT = -9999;
    float aV = -9999;
    float pcbT = -9999;
    float pcbV = -9999;
    float nT = -9999;
    std::atomic<bool> nozzleOn{false};
    bool piezoFault = false;
    std::atomic<unsigned> latched{0}; // bit 1 << Requestor per held request
    bool piezoExceeded = false;
    std::atomic<int> readPauseMs{5};
    std::array<QByteArray, 10> channelFiles; // mapped paths, fixed for the process
};
