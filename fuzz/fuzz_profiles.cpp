// A profile file's text, or a profile the server pushed, as the operating
// screen reads it with Profiles.js. Checks: no script error; every record
// made is whole numbers within the editors' limits; a saved record reads
// back as itself.
#include "FuzzSupport.h"

ZUM_FUZZ_WITHOUT_LEAK_CHECK

namespace {

fuzzsupport::Script *profiles = nullptr;

} // namespace

extern "C" int LLVMFuzzerInitialize(int *, char ***)
{
    fuzzsupport::setUp();
    profiles = new fuzzsupport::Script("Profiles.js");
    profiles->run(QStringLiteral(R"(
function checkRecord(p, n, what) {
    if (p.programValue !== n)
        throw new Error(what + ": programValue " + p.programValue + " for " + n)
    for (var key in RANGES) {
        var v = p[key]
        if (typeof v !== "number" || Math.floor(v) !== v || !inRange(v, RANGES[key]))
            throw new Error(what + ": " + key + " = " + v)
    }
    if (p.mode !== 0 && p.mode !== 1)
        throw new Error(what + ": mode " + p.mode)
    if (typeof p.nozTempState !== "boolean")
        throw new Error(what + ": nozTempState " + p.nozTempState)
    // What a save writes is read back unchanged.
    var back = interpret(parse(JSON.stringify(toFileObject(p))), n)
    for (var i = 0; i < KEYS.length; ++i) {
        if (back[KEYS[i]] !== p[KEYS[i]])
            throw new Error(what + ": " + KEYS[i] + " saved as " + p[KEYS[i]] + ", read back as " + back[KEYS[i]])
    }
}
// How each stored value was taken: its type and whether it was kept,
// clamped or replaced.
function shape(obj, p) {
    var s = []
    for (var i = 1; i < KEYS.length; ++i) {
        var k = KEYS[i], v = obj[k]
        s.push(k + ":" + (v === null ? "null" : Array.isArray(v) ? "array" : typeof v) + ":"
               + (p[k] === v ? "kept" : String(p[k]) === String(v) ? "same" : "changed"))
    }
    return s
}
function profileRun(text) {
    var obj = parse(text)
    if (obj === null)
        return ["none"]
    var features = []
    var ns = [1, 50, obj.programValue, "7", 0, 51, "x"]
    for (var i = 0; i < ns.length; ++i) {
        var n = ns[i]
        var pushed = validatePushed(obj, n)
        if (pushed !== null) {
            checkRecord(pushed, Math.round(Number(n)), "pushed for " + n)
            if (pushed.tuning < 1)
                throw new Error("pushed tuning " + pushed.tuning)
            features.push("p" + i)
        }
    }
    var p = interpret(obj, 7)
    checkRecord(p, 7, "stored")
    return features.concat(shape(obj, p))
}
)"),
                   QByteArray());
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    const QByteArray input(reinterpret_cast<const char *>(data), int(size));
    const QJSValue features = profiles->call("profileRun", {QString::fromUtf8(input)}, input);
    const int count = features.property(QStringLiteral("length")).toInt();
    for (int i = 0; i < count; ++i)
        fuzzsupport::feature(features.property(quint32(i)).toString());
    return 0;
}
