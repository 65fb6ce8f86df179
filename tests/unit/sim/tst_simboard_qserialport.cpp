// The simulated board seen through QSerialPort, the way the console's link
// opens it: through the link, with fixed settings, across reopenings.
#include "SimBoard.h"
#include "TestRoot.h"

#include <QSerialPort>

class TestSimBoardQSerialPort : public QObject
{
    Q_OBJECT

private slots:
    void exchangesThroughQSerialPort();
};

void TestSimBoardQSerialPort::exchangesThroughQSerialPort()
{
    sim::SimBoard board(testroot::root());
    QVERIFY2(board.start(), qPrintable(board.errorString()));
    for (int round = 0; round < 2; ++round) {
        QSerialPort port;
        port.setPortName(board.linkPath());
        port.setBaudRate(115200);
        port.setDataBits(QSerialPort::Data8);
        port.setParity(QSerialPort::NoParity);
        port.setStopBits(QSerialPort::OneStop);
        port.setFlowControl(QSerialPort::NoFlowControl);
        QVERIFY2(port.open(QIODevice::ReadWrite), qPrintable(port.errorString()));

        const QByteArray command = round == 0 ? "P26:\r" : "P04:150\r";
        const QByteArray answer = round == 0 ? "P26:ZB1.04.07\r\n" : "P04:99\r\n";
        QCOMPARE(port.write(command), qint64(command.size()));
        QVERIFY(port.waitForBytesWritten(1000));
        QByteArray got;
        while (!got.contains('\n') && port.waitForReadyRead(1000))
            got += port.readAll();
        QCOMPARE(got, answer);
        // Carriage returns cross the terminal untranslated in both directions.
        QCOMPARE(board.received().last().bytes, command);
        port.close();
    }
}

ZUM_TEST_MAIN(TestSimBoardQSerialPort)
#include "tst_simboard_qserialport.moc"
