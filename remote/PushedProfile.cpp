#include "PushedProfile.h"

#include <QJsonDocument>
#include <QJsonObject>
#include <QJsonParseError>
#include <QJsonValue>
#include <QRegularExpression>

#include <optional>

namespace remote {

const ProfileLimit profileLimits[] = {
#include "ProfileRanges.inc"
    {"mode", 0, 1},
};
const int profileLimitCount = int(sizeof profileLimits / sizeof profileLimits[0]);

namespace {

// A JSON number, or the text of a decimal number as the console writes them
// ("250"); anything else the screen would replace by a default.
std::optional<double> numberOf(const QJsonValue &value)
{
    if (value.isDouble())
        return value.toDouble();
    static const QRegularExpression decimal(QStringLiteral("^[+-]?[0-9]{1,15}(\\.[0-9]{1,15})?$"));
    if (value.isString() && decimal.match(value.toString()).hasMatch())
        return value.toString().toDouble();
    return std::nullopt;
}

// Checks one value and brings a number outside its limits to the nearest
// one, keeping the value's kind (number or text).
QString limitProblem(QJsonObject &profile, const QString &key, const ProfileLimit &limit, bool &changed)
{
    const QJsonValue value = profile.value(key);
    if (value.isUndefined())
        return QString();
    const std::optional<double> number = numberOf(value);
    if (!number)
        return key + QStringLiteral(" is not a number");
    double nearest = qBound(limit.minimum, *number, limit.maximum);
    if (key == QLatin1String("mode")) // any mode but 0 is line mode
        nearest = *number != 0 ? 1 : 0;
    if (nearest == *number)
        return QString();
    profile.insert(key, value.isDouble() ? QJsonValue(nearest) : QJsonValue(QString::number(qint64(nearest))));
    changed = true;
    return QString();
}

} // namespace

QString pushedProfileProblem(const QString &text, int n, QString *stored)
{
    QJsonParseError error;
    const QJsonDocument doc = QJsonDocument::fromJson(text.toUtf8(), &error);
    if (error.error != QJsonParseError::NoError || !doc.isObject())
        return QStringLiteral("not a JSON object");
    QJsonObject profile = doc.object();
    if (numberOf(profile.value(QLatin1String("programValue"))) != double(n))
        return QStringLiteral("programValue is not %1").arg(n);
    bool changed = false;
    for (int i = 0; i < profileLimitCount; ++i) {
        const ProfileLimit &limit = profileLimits[i];
        QString problem = limitProblem(profile, QLatin1String(limit.key), limit, changed);
        // The older name of the pulse count is read in its place.
        if (problem.isEmpty() && qstrcmp(limit.key, "dispenseCycles") == 0)
            problem = limitProblem(profile, QStringLiteral("totalCycles"), limit, changed);
        if (!problem.isEmpty())
            return problem;
    }
    const QJsonValue heater = profile.value(QLatin1String("nozTempState"));
    if (!heater.isUndefined() && !heater.isBool() && heater != QJsonValue(QStringLiteral("true"))
        && heater != QJsonValue(QStringLiteral("false")))
        return QStringLiteral("nozTempState is not true or false");
    if (stored)
        *stored = changed ? QString::fromUtf8(QJsonDocument(profile).toJson(QJsonDocument::Compact)) : text;
    return QString();
}

} // namespace remote
