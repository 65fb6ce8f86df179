// Reading a pass-phrase file from a stick line by line: line ends and marks
// of other systems, and files too large to be one.
#include "FileIo.h"
#include "TestRoot.h"

class TestFileIoLines : public QObject
{
    Q_OBJECT

private slots:
    void readLines_data()
    {
        QTest::addColumn<QByteArray>("bytes");
        QTest::addColumn<QStringList>("lines");
        QTest::newRow("CR LF, blank tail") << QByteArray("pass 1\r\nLab\r\n\n\r\n") << QStringList{"pass 1", "Lab"};
        QTest::newRow("mark, inner CR, UTF-8")
            << QByteArray("\xef\xbb\xbfp\rq\ncaf\xc3\xa9") << QStringList{"p\rq", QString::fromUtf8("caf\xc3\xa9")};
        QTest::newRow("4 KiB") << QByteArray(4096, 'x') << QStringList{QString(4096, 'x')};
        QTest::newRow("larger than 4 KiB") << QByteArray(4097, 'x') << QStringList();
    }

    void readLines()
    {
        QFETCH(QByteArray, bytes);
        QFETCH(QStringList, lines);
        testroot::writeFile("/media/usb/password.txt", bytes);
        QCOMPARE(FileIo().readLines("/media/usb/password.txt"), lines);
    }
};

ZUM_TEST_MAIN(TestFileIoLines)

#include "tst_fileiolines.moc"
