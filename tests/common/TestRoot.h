#pragma once

#include <QProcess>
#include <QString>
#include <QStringList>
#include <QtTest>

// Shared helpers of the unit tests: the simulated root they run in and the
// call log of the fake shell tools.
namespace testroot {

// Refuses to go on unless ZUM_ROOT names a folder and the fake tools come
// first on PATH; then lays out the simulated board root.
void prepare();

// The simulated root (ZUM_ROOT).
QString root();

// Absolute path of a board path inside the simulated root.
QString path(const QString &boardPath);

void writeFile(const QString &boardPath, const QByteArray &bytes);
QByteArray readFile(const QString &boardPath);

// Starts one of the project's programs, under the emulator ZUM_EMULATOR names
// when the tests are built for another processor.
void start(QProcess &process, const QString &program, const QStringList &arguments);

} // namespace testroot

// main() of a QtTest binary that must run in a simulated root.
#define ZUM_TEST_MAIN(TestClass)                                   \
    int main(int argc, char *argv[])                               \
    {                                                              \
        QCoreApplication app(argc, argv);                          \
        testroot::prepare();                                       \
        TestClass test;                                            \
        QTEST_SET_MAIN_SOURCE_PATH                                 \
        return QTest::qExec(&test, argc, argv);                    \
    }

#define ZUM_TEST_GUI_MAIN(TestClass)                               \
    int main(int argc, char *argv[])                               \
    {                                                              \
        QApplication app(argc, argv);                              \
        testroot::prepare();                                       \
        TestClass test;                                            \
        QTEST_SET_MAIN_SOURCE_PATH                                 \
        return QTest::qExec(&test, argc, argv);                    \
    }
