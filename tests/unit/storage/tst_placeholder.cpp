#include "FileIo.h"
#include "TestRoot.h"
class TestPlaceholder : public QObject { Q_OBJECT
private slots:
    void readMissing() { FileIo io; QCOMPARE(io.read("/media/data/none"), QString()); }
};
ZUM_TEST_MAIN(TestPlaceholder)
#include "tst_placeholder.moc"
