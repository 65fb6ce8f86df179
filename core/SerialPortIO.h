#pragma once

#include <QObject>
#include <QSerialPort>
#include <QString>

// Byte transport to the valve driver board: owns the serial port with its
// fixed settings, writes text exactly as given, hands every received chunk
// upward and keeps a small diagnostic log of the link in myLog.txt.
class SerialPortIO : public QObject
{
    Q_OBJECT

public:
    explicit SerialPortIO(QObject *parent = nullptr);
    ~SerialPortIO() override;

    // Blocks until data is readable or 120 ms have passed; arriving data is
    // delivered through readData()/gotData before it returns. True when data came.
    bool waitForReply();

    bool isOpen() const { return serialPort.isOpen(); }
    // True while a received chunk is being handed upward. The port does not
    // deliver again from inside that notification, so an exchange that waits
    // for an answer must not start then.
    bool isDelivering() const { return deliveryDepth > 0; }

signals:
    void gotData(QString dat);

public slots:
    void startComm();
    void openSerialPort();
    void closeSerialPort();
    void readData();
    void handleError(QSerialPort::SerialPortError error);
    void packData(QString dat);
    // True when every byte went out; a write the device does not take within
    // a second is dropped whole, so nothing stays queued behind it.
    bool writeData(QString data);
    void updateSettings();
    void writeToLog(QString lg);
    void clearSerialPort();

private:
    QSerialPort serialPort;
    QString portName;
    qint32 baudRate = 0;
    qint32 dataBits = 0;
    qint32 parity = 0;
    qint32 stopBits = 0;
    qint32 flowControl = 0;
    bool portWasOpen = true;
    int deliveryDepth = 0;
};
