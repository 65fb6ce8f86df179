#pragma once

#include <QString>

// How a parameter line's echo from the driver board is judged: the reply
// starts with the line's four-character tag and repeats its value, or a
// value the board is known to put in its place.
namespace echocheck {

// The value a reply repeats: the number in the seven characters after its
// tag, 0 when they hold none.
int echoedValue(const QString &reply);

// Values the board echoes in place of the one sent: 1 for 0 where it does
// not take 0, its cap for larger values, 99 for a duty cycle of 100 or more.
bool substituteAccepted(const QString &prefix, int sent, int echoed);

// True when `reply` answers the line sent with `prefix` and `sent`.
bool answers(const QString &reply, const QString &prefix, int sent);

} // namespace echocheck
