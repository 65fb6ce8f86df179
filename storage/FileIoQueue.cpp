// Write queue, profile backup and recovery of FileIo.
#include "FileIo.h"

#include "Platform.h"

#include <QDebug>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QRegularExpression>

#include <chrono>
#include <cstdio>
#include <mutex>

namespace {
// How long a clean-up waits for saves in flight (small files: milliseconds).
constexpr int recoverWaitMs = 1000;
// A save left unfinished leaves its temporary file as "<name>.XXXXXX", six
// random letters or digits (QSaveFile, where the file system cannot keep
// the file unnamed until its commit).
const QString saveSuffix = QStringLiteral("\\.[A-Za-z0-9]{6}$");
} // namespace

void FileIo::queueToWrite(QString name, QString contents)
{
    memoryOp.appendToQueue(name, contents);
}

void FileIo::startMemThread()
{
    memoryOp.start(QThread::InheritPriority);
}

// The backup is replaced as a whole, never rewritten in place as a copy
// with "cp" would: a power cut during the copy leaves the old backup or the
// new one. A missing or empty file leaves the backup as it was.
void FileIo::writeBKProfile(QString name)
{
    QFile file(platform::sysPath(name));
    if (name.isEmpty() || !file.open(QIODevice::ReadOnly)) {
        qWarning().noquote() << "writeBKProfile: cannot read" << name;
        return;
    }
    const QString bytes = QString::fromLatin1(file.readAll());
    if (!MemoryOp::writeFileAtomically(platform::sysPath(name + QStringLiteral("_BKUP")), bytes))
        qWarning().noquote() << "writeBKProfile: backup of" << name << "not written";
}

// Restores a file from the temporary file an interrupted atomic write left
// beside it, then clears every such leftover in the data folder. Saves run
// on other threads too (remote link, write queue): both steps wait for the
// saves in flight, and give up rather than hold the caller for long. Most
// loads that get here find no leftover (a profile never saved): only files
// that exist are touched, and no shell runs for them.
void FileIo::recoverFile(QString name)
{
    std::unique_lock<std::shared_timed_mutex> noSaves(MemoryOp::saveLock(), std::chrono::milliseconds(recoverWaitMs));
    if (!noSaves.owns_lock()) {
        qWarning() << "recoverFile: saves still in progress; nothing recovered from leftovers of" << name;
        return;
    }
    const QFileInfo target(platform::sysPath(name));
    const QRegularExpression ownLeftover(QLatin1Char('^') + QRegularExpression::escape(target.fileName())
                                         + saveSuffix);
    QFileInfoList own;
    // Of several leftovers of one file, the newest holds the last save.
    for (const QFileInfo &entry : target.dir().entryInfoList({target.fileName() + QStringLiteral(".*")},
                                                             QDir::Files, QDir::Time)) {
        if (ownLeftover.match(entry.fileName()).hasMatch())
            own.append(entry);
    }
    // Moved in with one rename: the file is whole or as it was.
    if (!own.isEmpty()
        && std::rename(QFile::encodeName(own.first().absoluteFilePath()).constData(),
                       QFile::encodeName(target.absoluteFilePath()).constData()) != 0)
        qWarning().noquote() << "recoverFile: cannot restore" << name << "from" << own.first().fileName();
    // The files the console saves here all have a dot in their names. Other
    // files in the folder (the start script's log and its temporary file, a
    // copy someone kept) are not leftovers, whatever their dots.
    static const QRegularExpression leftover(QStringLiteral("^.+\\..+") + saveSuffix);
    const QDir data(platform::sysPath(QStringLiteral("/media/data")));
    for (const QString &entry : data.entryList({QStringLiteral("*.*.*")}, QDir::Files)) {
        if (leftover.match(entry).hasMatch())
            QFile::remove(data.filePath(entry));
    }
}
