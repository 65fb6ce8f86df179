// The settings file's text as the settings page reads it with
// SettingsRules.js. Checks: no script error; the settings made always hold
// every key with a usable value and, written back, read again without a
// problem.
#include "FuzzSupport.h"

ZUM_FUZZ_WITHOUT_LEAK_CHECK

namespace {

fuzzsupport::Script *rules = nullptr;

} // namespace

extern "C" int LLVMFuzzerInitialize(int *, char ***)
{
    fuzzsupport::setUp();
    rules = new fuzzsupport::Script("SettingsRules.js");
    rules->run(QStringLiteral(R"(
function settingsRun(text) {
    var parsed = parseSettings(text, "127.0.0.1")
    var s = parsed.settings
    var d = defaults("127.0.0.1")
    for (var key in d) {
        if (!Object.prototype.hasOwnProperty.call(s, key) || !validValue(key, s[key]))
            throw new Error("settings lack a usable " + key + ": " + JSON.stringify(s[key]))
    }
    // Keys the pages read only when present: never an unchecked value, not
    // even one the object inherits.
    var optional = ["seqEnabled", "seqStart", "seqEnd"]
    for (var i = 0; i < optional.length; ++i) {
        if (s[optional[i]] !== undefined && !validValue(optional[i], s[optional[i]]))
            throw new Error("settings hold an unchecked " + optional[i] + ": " + JSON.stringify(s[optional[i]]))
    }
    if (Object.getPrototypeOf(s) !== Object.prototype)
        throw new Error("the settings object lost its prototype")
    // The repaired settings are written back; reading them again is clean.
    var again = parseSettings(JSON.stringify(s), "127.0.0.1")
    if (again.problems.length !== 0 || again.firstStart)
        throw new Error("written-back settings read with problems: " + again.problems.join("; "))
    remoteTargetProblem(s.RemoteServerIP, s.RemoteServerPort)
    var features = parsed.problems.map(function (p) { return p.replace(/[0-9]+/g, "#") })
    features.push("first:" + parsed.firstStart)
    return features
}
)"),
                QByteArray());
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    const QByteArray input(reinterpret_cast<const char *>(data), int(size));
    const QJSValue features = rules->call("settingsRun", {QString::fromUtf8(input)}, input);
    const int count = features.property(QStringLiteral("length")).toInt();
    for (int i = 0; i < count; ++i)
        fuzzsupport::feature(features.property(quint32(i)).toString());
    return 0;
}
