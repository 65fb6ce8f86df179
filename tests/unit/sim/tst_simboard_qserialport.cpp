// The simulated board seen through QSerialPort, the way the console's link
// opens it: through the link, with fixed settings, across reopenings.
#include "SimBoard.h"
#include "TestRoot.h"

#include <QSerialPort>

class TestSimBoardQSerialPort : public QObject
{
    Q_OBJECT

private slots:
    void exchangesThroughQSerialPort()
    {
        sim::SimBoard board(testroot::root());
        QVERIFY2(board.start(), qPrintable(board.errorString()));
        const QList<QPair<QByteArray, QByteArray>> exchanges = {{"P26:\r", "P26:ZB1.04.07\r\n"},
                                                                {"P04:150\r", "P04:99\r\n"}};
        for (const auto &exchange : exchanges) {
            QSerialPort port(board.linkPath());
            port.setBaudRate(115200); // 8N1 without flow control are the defaults
            QVERIFY2(port.open(QIODevice::ReadWrite), qPrintable(port.errorString()));
            QCOMPARE(port.write(exchange.first), qint64(exchange.first.size()));
            QByteArray got;
            while (!got.contains('\n') && port.waitForReadyRead(1000))
                got += port.readAll();
            // Carriage returns cross the terminal untranslated in both directions.
            QCOMPARE(got, exchange.second);
            QCOMPARE(board.received().last().bytes, exchange.first);
        }
    }
};

ZUM_TEST_MAIN(TestSimBoardQSerialPort)
#include "tst_simboard_qserialport.moc"
