#pragma once

#include <QString>

// What a profile pushed by the monitoring server must hold before it may
// replace a stored one: only what the operating screen would take as it
// stands. The limits are the screen's own, taken from qml/Profiles.js at
// build time, plus the mode.
namespace remote {

struct ProfileLimit {
    const char *key;
    double minimum;
    double maximum;
};

extern const ProfileLimit profileLimits[];
extern const int profileLimitCount;

// Why the text pushed for profile n must not be stored, "" when it may: a
// JSON object whose programValue is n and whose numeric values, numbers or
// the text of one, lie within their limits. A missing key keeps the
// screen's default.
QString pushedProfileProblem(const QString &text, int n);

} // namespace remote
