// The report texts, and EEPROM answers for records a fake chip cannot give.
#include "RemoteMessages.h"
#include "TestRoot.h"

#include <QtTest>

using namespace remote;

class TestRemoteMessages : public QObject
{
    Q_OBJECT

private slots:
    void reports_data()
    {
        QTest::addColumn<QString>("report");
        QTest::addColumn<QString>("expected");
        const QString mac = "00:11:22:33:44:55";
        const QString dat = "\"dwell\":\"250,\"delay\":\"1";
        for (const QString &code : {QString("JV1"), QString()}) {
            const QByteArray tag = code.isEmpty() ? " without system code" : "";
            QTest::newRow("run package" + tag)
                << runPackage("127.0.0.9", mac, code, "1P.profile", dat)
                << "#START#127.0.0.9#00:11:22:33:44:55#" + code + "#1P.profile#" + dat + "#STOP#\n";
            QTest::newRow("data package" + tag) << dataPackage("127.0.0.9", mac, code, "T=31")
                                                << "#STARTDATA#127.0.0.9#00:11:22:33:44:55#" + code + "#T=31#STOPDATA#\n";
            QTest::newRow("error report" + tag) << errorReport(mac, code, "2", "PT ERR")
                                                << "#ERR#00:11:22:33:44:55#" + code + "#2#PT ERR#ERR#\n";
            QTest::newRow("error clear" + tag) << errorClear(mac, code) << "#ERR#00:11:22:33:44:55#" + code + "#9#0#ERR#\n";
        }
        // EEPROM records too short for both fields leave the missing value empty.
        QTest::newRow("repaired record with more fields") << QString(eepromAnswer("0#1#301#X")) << "\nCC: 0 | CF : 1\r\n";
        QTest::newRow("one field") << QString(eepromAnswer("12345")) << "\nCC: 12345 | CF : \r\n";
    }

    void reports()
    {
        QFETCH(QString, report);
        QFETCH(QString, expected);
        QCOMPARE(report, expected);
    }
};

ZUM_TEST_MAIN(TestRemoteMessages)
#include "tst_remotemessages.moc"
