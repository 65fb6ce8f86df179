// The report texts and the recognition of the server's requests.
#include "RemoteMessages.h"
#include "TestRoot.h"

#include <QtTest>

using namespace remote;

class TestRemoteMessages : public QObject
{
    Q_OBJECT

private slots:
    void reports_data();
    void reports();
    void cleaning_data();
    void cleaning();
    void profileNumbers_data();
    void profileNumbers();
    void eepromAnswers_data();
    void eepromAnswers();
};

void TestRemoteMessages::reports_data()
{
    QTest::addColumn<QString>("systemCode");
    QTest::addColumn<QString>("report");
    QTest::addColumn<QString>("expected");

    const QString host = "10.0.0.9";
    const QString mac = "00:11:22:33:44:55";
    const QString dat = "\"dwell\":\"250,\"delay\":\"1";
    for (const QString &code : {QString("JV1"), QString()}) {
        const QByteArray tag = code.isEmpty() ? " without system code" : "";
        QTest::newRow("run package" + tag)
            << code << runPackage(host, mac, code, "1P.profile", dat)
            << "#START#10.0.0.9#00:11:22:33:44:55#" + code + "#1P.profile#" + dat + "#STOP#\n";
        QTest::newRow("data package" + tag)
            << code << dataPackage(host, mac, code, "T=31")
            << "#STARTDATA#10.0.0.9#00:11:22:33:44:55#" + code + "#T=31#STOPDATA#\n";
        QTest::newRow("error report" + tag)
            << code << errorReport(mac, code, "2", "PT ERR")
            << "#ERR#00:11:22:33:44:55#" + code + "#2#PT ERR#ERR#\n";
        QTest::newRow("error clear" + tag)
            << code << errorClear(mac, code) << "#ERR#00:11:22:33:44:55#" + code + "#9#0#ERR#\n";
    }
}

void TestRemoteMessages::reports()
{
    QFETCH(QString, systemCode);
    QFETCH(QString, report);
    QFETCH(QString, expected);
    QCOMPARE(report, expected);
    if (systemCode.isEmpty())
        QVERIFY(report.contains("55##"));
}

void TestRemoteMessages::cleaning_data()
{
    QTest::addColumn<QByteArray>("received");
    QTest::addColumn<QString>("request");

    QTest::newRow("line end") << QByteArray("ZUM_IOT_REQ\r\n") << "ZUM_IOT_REQ";
    QTest::newRow("breaks inside") << QByteArray("#3#{\"a\":\r\n\t\"1\"}\n") << "#3#{\"a\":\"1\"}";
    QTest::newRow("stops at NUL") << QByteArray("@7\0@8", 5) << "@7";
    QTest::newRow("UTF-8") << QByteArray("#3#{\"n\":\"\xc3\xa4\"}") << QString::fromUtf8("#3#{\"n\":\"\xc3\xa4\"}");
    QTest::newRow("only breaks") << QByteArray("\r\n") << "";
}

void TestRemoteMessages::cleaning()
{
    QFETCH(QByteArray, received);
    QFETCH(QString, request);
    QCOMPARE(cleanRequest(received), request);
}

void TestRemoteMessages::profileNumbers_data()
{
    QTest::addColumn<QString>("field");
    QTest::addColumn<int>("number");

    QTest::newRow("1") << "1" << 1;
    QTest::newRow("50") << "50" << 50;
    QTest::newRow("leading zero") << "07" << 7;
    QTest::newRow("0") << "0" << 0;
    QTest::newRow("51") << "51" << 0;
    QTest::newRow("negative") << "-1" << 0;
    QTest::newRow("plus sign") << "+7" << 0;
    QTest::newRow("space") << " 7" << 0;
    QTest::newRow("trailing text") << "7a" << 0;
    QTest::newRow("traversal") << "../../etc/shadow" << 0;
    QTest::newRow("absolute") << "/etc/passwd" << 0;
    QTest::newRow("huge") << "99999999999999999999" << 0;
    QTest::newRow("empty") << "" << 0;
    QTest::newRow("arabic-indic digit") << QString(QChar(0x0667)) << 0;
}

void TestRemoteMessages::profileNumbers()
{
    QFETCH(QString, field);
    QFETCH(int, number);
    QCOMPARE(profileNumber(field), number);
}

void TestRemoteMessages::eepromAnswers_data()
{
    QTest::addColumn<QString>("record");
    QTest::addColumn<QByteArray>("answer");

    QTest::newRow("record") << "12345#1#35158" << QByteArray("\nCC: 12345 | CF : 1\r\n");
    QTest::newRow("repaired record with more fields") << "0#1#301#X" << QByteArray("\nCC: 0 | CF : 1\r\n");
    QTest::newRow("one field") << "12345" << QByteArray("\nCC: 12345 | CF : \r\n");
    QTest::newRow("unreadable chip") << "" << QByteArray("\nCC:  | CF : \r\n");
}

void TestRemoteMessages::eepromAnswers()
{
    QFETCH(QString, record);
    QFETCH(QByteArray, answer);
    QCOMPARE(eepromAnswer(record), answer);
}

ZUM_TEST_MAIN(TestRemoteMessages)
#include "tst_remotemessages.moc"
