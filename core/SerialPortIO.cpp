#include "SerialPortIO.h"

#include "BoundedLog.h"
#include "FileIo.h"
#include "Platform.h"

#include <QDebug>
#include <QDeadlineTimer>

namespace {
const char logFile[] = "/media/data/myLog.txt";
const int replyWaitMs = 120;
const int writeWaitMs = 1000;
} // namespace

SerialPortIO::SerialPortIO(QObject *parent)
    : QObject(parent)
{
    connect(&serialPort, &QSerialPort::readyRead, this, &SerialPortIO::readData);
    connect(&serialPort, &QSerialPort::errorOccurred, this, &SerialPortIO::handleError);
    connect(&serialPort, &QSerialPort::dataTerminalReadyChanged, this, &SerialPortIO::startComm);
    // The log lives for one run.
    platform::removeFiles(QStringLiteral("/media/data/myLog.txt*"));
    portWasOpen = true;
}

SerialPortIO::~SerialPortIO()
{
    closeSerialPort();
}

void SerialPortIO::startComm()
{
    // A pseudo-terminal has no modem lines: reading DTR fails there and
    // reports false, so an open port on the simulator is re-opened only
    // when this slot runs again, which it does only on DTR changes.
    if (serialPort.isOpen() && serialPort.isDataTerminalReady())
        return;
    updateSettings();
    openSerialPort();
    writeToLog(QStringLiteral("startComm : Communication initialization done "));
}

void SerialPortIO::updateSettings()
{
    portName = platform::sysPath(QStringLiteral("/dev/ttymxc6"));
    baudRate = QSerialPort::Baud115200;
    dataBits = QSerialPort::Data8;
    parity = QSerialPort::NoParity;
    stopBits = QSerialPort::OneStop;
    flowControl = QSerialPort::NoFlowControl;
    writeToLog(QStringLiteral("Settings updated : Baud115200 Data8 NoParity OneStop NoFlowControl"));
}

void SerialPortIO::openSerialPort()
{
    serialPort.setPortName(portName);
    serialPort.setBaudRate(baudRate, QSerialPort::AllDirections);
    serialPort.setDataBits(static_cast<QSerialPort::DataBits>(dataBits));
    serialPort.setParity(static_cast<QSerialPort::Parity>(parity));
    serialPort.setStopBits(static_cast<QSerialPort::StopBits>(stopBits));
    serialPort.setFlowControl(static_cast<QSerialPort::FlowControl>(flowControl));
    const QString line = serialPort.open(QIODevice::ReadWrite)
        ? QStringLiteral("### openSerialPort : Connection Successful")
        : QStringLiteral("### openSerialPort : Connection Failure");
    qDebug().noquote() << line;
    writeToLog(line);
}

void SerialPortIO::closeSerialPort()
{
    if (serialPort.isOpen())
        serialPort.close();
}

void SerialPortIO::readData()
{
    const QByteArray bytes = serialPort.readAll();
    ++deliveryDepth;
    emit gotData(QString::fromUtf8(bytes));
    --deliveryDepth;
}

void SerialPortIO::handleError(QSerialPort::SerialPortError error)
{
    writeToLog(QStringLiteral("Error Data (handleError) : QPORT ERROR") + QString::number(int(error)));
}

void SerialPortIO::packData(QString dat)
{
    qDebug().noquote() << dat;
}

bool SerialPortIO::writeData(QString data)
{
    if (!serialPort.isOpen()) {
        if (portWasOpen) {
            writeToLog(QStringLiteral("ERROR ### Unable to send data; Port not opened "));
            portWasOpen = false;
        }
        return false;
    }
    if (!portWasOpen) {
        writeToLog(QStringLiteral("SUCCESS ### Serial Port Open"));
        portWasOpen = true;
    }
    const QByteArray bytes = data.toLatin1();
    bool sent = serialPort.write(bytes) == bytes.size();
    QDeadlineTimer deadline(writeWaitMs);
    while (sent && serialPort.bytesToWrite() > 0) {
        if (deadline.hasExpired() || !serialPort.waitForBytesWritten(int(deadline.remainingTime())))
            sent = false;
    }
    if (!sent) {
        // A line that cannot go out now must not go out glued to a later one.
        serialPort.clear(QSerialPort::Output);
        writeToLog(QStringLiteral("ERROR ### Write to serial port failed "));
    }
    return sent;
}

bool SerialPortIO::waitForReply()
{
    // Nothing can arrive on a closed port; waiting would only hold the caller.
    if (!serialPort.isOpen())
        return false;
    return serialPort.waitForReadyRead(replyWaitMs);
}

// Each entry is appended, never the whole log rewritten: the heater logs
// every switch for as long as the console runs, so the log keeps only its
// newer half once it passes its bound.
void SerialPortIO::writeToLog(QString lg)
{
    BoundedLog::append(QLatin1String(logFile), QLatin1Char('\n') + lg + QLatin1Char('\n'));
}

void SerialPortIO::clearSerialPort()
{
    serialPort.flush();
}
