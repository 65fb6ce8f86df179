#pragma once

#include <QString>

// What a profile pushed by the monitoring server must hold before it may
// replace a stored one, and the text stored for it. The limits are the
// screen's own, taken from qml/Profiles.js at build time, plus the mode.
namespace remote {

struct ProfileLimit {
    const char *key;
    double minimum;
    double maximum;
};

extern const ProfileLimit profileLimits[];
extern const int profileLimitCount;

// Why the text pushed for profile n must not be stored, "" when it may: a
// JSON object whose programValue is n and whose values are numbers or the
// text of one (a missing key keeps the screen's default). A number outside
// its limits is brought to the nearest one, as the screen does with it, so
// the file never holds it: `stored` gets the text to write, the pushed text
// itself when nothing had to change.
QString pushedProfileProblem(const QString &text, int n, QString *stored = nullptr);

} // namespace remote
