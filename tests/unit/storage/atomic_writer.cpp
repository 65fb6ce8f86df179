// Rewrites one file with two alternating contents until killed.
#include "FileIo.h"

#include <QCoreApplication>

int main(int argc, char *argv[])
{
    QCoreApplication app(argc, argv);
    if (argc < 2)
        return 2;
    const QString name = QString::fromLocal8Bit(argv[1]);
    const QString first(64 * 1024, QLatin1Char('a'));
    const QString second(96 * 1024, QLatin1Char('b'));
    FileIo io;
    for (unsigned i = 0;; ++i)
        io.write(name, (i & 1) ? second : first);
}
