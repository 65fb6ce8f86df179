// Reading a pass-phrase file from a stick line by line: line ends of other
// systems, a byte-order mark, and files too large to be one.
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
        QTest::newRow("one line, no line end") << QByteArray("secret 1") << QStringList{"secret 1"};
        QTest::newRow("two lines, CR LF") << QByteArray("secret 1\r\nLab Net\r\n") << QStringList{"secret 1", "Lab Net"};
        QTest::newRow("three lines, blank tail")
            << QByteArray("a\nb\nc\n\n\r\n") << QStringList{"a", "b", "c"};
        QTest::newRow("mark, inner CR kept") << QByteArray("\xef\xbb\xbfp\rq\r\n") << QStringList{"p\rq"};
        QTest::newRow("UTF-8 name") << QByteArray("pw\ncaf\xc3\xa9\n") << QStringList{"pw", QString::fromUtf8("caf\xc3\xa9")};
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

    void missingFileHasNoLines() { QCOMPARE(FileIo().readLines("/media/usb/none.txt"), QStringList()); }
};

ZUM_TEST_MAIN(TestFileIoLines)

#include "tst_fileiolines.moc"
