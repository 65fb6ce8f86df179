// Write queue, profile backup and recovery of FileIo.
#include "FileIo.h"

#include "Platform.h"

void FileIo::queueToWrite(QString name, QString contents)
{
    memoryOp.appendToQueue(name, contents);
}

void FileIo::startMemThread()
{
    memoryOp.start(QThread::InheritPriority);
}

void FileIo::writeBKProfile(QString name)
{
    const QString file = platform::shellPath(name);
    const QString backup = platform::shellPath(name + QStringLiteral("_BKUP"));
    runSystemCmd(QStringLiteral("cp -f %1 %2").arg(file, backup));
}

// Restores a file from the temporary file an interrupted atomic write left
// beside it, then clears every such leftover in the data folder.
void FileIo::recoverFile(QString name)
{
    const QString file = platform::shellPath(name);
    runSystemCmd(QStringLiteral("cp -f %1.* %1").arg(file));
    runSystemCmd(QStringLiteral("rm -f /media/data/*.*.*"));
}
