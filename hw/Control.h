#pragma once

#include "Gpio.h"
#include "I2cBus.h"
#include "Pwm.h"

#include <QObject>
#include <QString>
#include <QTime>

#include <memory>

// Peripheral record kept around the I2C device opened at start-up; nothing
// on the board addresses it yet.
struct I2cPeripheral {
    I2cDevice *device = nullptr;
    int mode = 0;
    int state = 0;
};

// The one object through which the control logic touches the board: the
// GPIO pin map, the PR PWM output, the I2C bus, the zuvc driver attributes,
// raw analogue reads and the shutdown log. GUI thread only, direct calls only.
class Control : public QObject
{
    Q_OBJECT

public:
    explicit Control(QObject *parent = nullptr);
    ~Control() override;

    // Kernel GPIO numbers of the pin map and of the dispense-control input.
    enum Pin {
        Pin144Gpio = 114,
        Pin497Gpio = 497,
        Pin498Gpio = 498,
        Pin499Gpio = 499,
        Pin505Gpio = 505,
        Pin508Gpio = 508,
        Pin506Gpio = 506,
        Pin507Gpio = 507,
        FootSwitchGpio = 41,
        M1nFaultGpio = 133,
        M1Mode2Gpio = 120,
        M2nFaultGpio = 137,
        M2nSleepGpio = 12,
        M2Mode2Gpio = 10,
        DispenseCtrlGpio = 502,
    };

    static const char *const adcDir;        // IIO device folder, trailing slash
    static const char *const zuvcDir;       // zuvc driver attributes, trailing slash
    static const char *const debugLogPath;  // "/media/data/Control.log"

    bool desktopMode() const { return desktop; }
    int servicesShutDown() const { return servicesDown; }
    int dispensingStatus() const { return dispensingCtrl; }

    // The "Time :" line of a log record written at the given time of day.
    static QString debugTimeLine(const QTime &now);

public slots:
    void init(const QString &machine);
    void writeDebugFile(const QString &data);
    bool createAppDir(const QString &path);
    bool fileWrite(const QString &fileName, const QString &contents);
    QString fileRead(const QString &fileName);

    int getPiezoTemp();
    int getPiezoVolt();
    int getPiezoVCurrent();
    int getBootTemp();
    int getBootVolt();
    int getPCBTemp();
    int getPCBTVolt();
    int getNozzleTemp();

    void setNozzleHeater(bool state);
    void turnPiezoAir(bool state);
    void shutDownServices(bool state);

    bool setAdcPiezoSample(int samples);
    bool setAdcPiezoRun();
    int readAdcPiezoMaxValue();

    void setAnyErrorOnDB15(bool isError);
    void setNozzleHeaterTargetOnDB15(bool reached);
    void setPiezoTempExceedStatusOnDB15(bool exceeded);

    int getDispensingCtrlStatus();

private:
    int readChannel(int channel, int desktopValue);

    bool desktop = false;
    Gpio pin144;
    Gpio pin497;
    Gpio pin498;
    Gpio pin499;
    Gpio pin505;
    Gpio pin508;
    Gpio pin506;
    Gpio pin507;
    Gpio footSwitch;
    Gpio m1nFault;
    Gpio m1Mode2;
    Gpio m2nFault;
    Gpio m2nSleep;
    Gpio m2Mode2;
    Pwm pr;
    std::unique_ptr<I2cBus> i2cBus;
    std::unique_ptr<I2cDevice> i2cDevice;
    std::unique_ptr<I2cPeripheral> i2cPeripheral;
    int dispensingCtrl = 1;
    int servicesDown = 0;
    int heaterTargetLevel = -1; // last level written to the heater-at-target line
};
