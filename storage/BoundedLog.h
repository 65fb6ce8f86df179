#pragma once

#include <QString>

// A diagnostic text log that grows by appending, one entry at a time, and
// stays bounded: once it passes its limit only its newer half is kept, cut
// where an entry begins. Entries are written in Latin-1.
class BoundedLog
{
public:
    static constexpr qint64 defaultLimit = 256 * 1024;

    // Appends `entry` to the log at board path `name`; entries are expected
    // to begin with a line feed and end with one, so that an empty line
    // parts them. True when the entry was written.
    static bool append(const QString &name, const QString &entry, qint64 limit = defaultLimit);
};
