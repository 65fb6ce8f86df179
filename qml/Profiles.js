.pragma library

// Dispense profile records: defaults, file names, reading a stored or pushed
// object into a safe record, the object written on save, and the limits the
// operating screen's editors apply.

var KEYS = ["programValue", "dispenseCycles", "dwell", "dutyCycle", "riseTime", "fallTime",
            "delay", "cycleCount", "mode", "nozTemp", "nozTempState", "tuning"]

// Valid range of each numeric key. Tuning 0 is the untuned default the
// console writes itself; only a pushed profile is held to 1..9.
var RANGES = {
    programValue: [1, 50],
    dispenseCycles: [1, 9999999],
    dwell: [1, 9999],
    dutyCycle: [1, 100],
    riseTime: [80, 1999],
    fallTime: [80, 1999],
    delay: [1, 999999],
    cycleCount: [0, 2147483647],
    nozTemp: [14, 90],
    tuning: [0, 9]
}

// Editor id of the number editor -> key and limits.
var EDITORS = {
    1: ["dispenseCycles", 1, 9999999],
    2: ["dwell", 1, 9999],
    3: ["dutyCycle", 1, 100],
    4: ["riseTime", 80, 1999],
    5: ["fallTime", 80, 1999],
    6: ["delay", 1, 999999],
    7: ["nozTemp", 14, 90],
    8: ["tuning", 0, 9]
}

var COUNT = 50

function defaultProfile(n) {
    return { programValue: n, dispenseCycles: 1, dwell: 1, dutyCycle: 1, riseTime: 80, fallTime: 80,
             delay: 1, cycleCount: 0, mode: 0, nozTemp: 30, nozTempState: false, tuning: 0 }
}

function mainFile(dir, n) {
    return dir + n + "JV.profile"
}

function backupFile(dir, n) {
    return mainFile(dir, n) + "_BKUP"
}

// The profile object in a file's text, or null when the text is not one.
function parse(text) {
    try {
        var obj = JSON.parse(text)
        return obj !== null && typeof obj === "object" && !Array.isArray(obj) ? obj : null
    } catch (e) {
        return null
    }
}

// Number of a stored value: numbers and numeric text only, anything else
// (missing, "60C", true, "") gives the fallback.
function toNumber(v, fallback) {
    var x = NaN
    if (typeof v === "number")
        x = v
    else if (typeof v === "string" && v.trim() !== "")
        x = Number(v)
    return isFinite(x) ? x : fallback
}

function clamp(v, range) {
    return Math.min(range[1], Math.max(range[0], v))
}

function inRange(v, range) {
    return v >= range[0] && v <= range[1]
}

// The record for profile n from an object read from a file or pushed by the
// server: every value a whole number within its range, non-numbers replaced
// by the defaults; the stored programValue is ignored.
function interpret(obj, n) {
    obj = obj || {}
    var d = defaultProfile(n)
    var cycles = obj.dispenseCycles !== undefined ? obj.dispenseCycles
               : obj.totalCycles !== undefined ? obj.totalCycles : 100
    var p = { programValue: n }
    var raw = { dispenseCycles: cycles, dwell: obj.dwell, dutyCycle: obj.dutyCycle, riseTime: obj.riseTime,
                fallTime: obj.fallTime, delay: obj.delay, cycleCount: obj.cycleCount,
                nozTemp: obj.nozTemp, tuning: obj.tuning }
    for (var i = 1; i < KEYS.length; ++i) {
        var key = KEYS[i]
        if (RANGES[key])
            p[key] = clamp(Math.round(toNumber(raw[key], d[key])), RANGES[key])
    }
    p.mode = toNumber(obj.mode, 0) !== 0 ? 1 : 0
    p.nozTempState = obj.nozTempState === true || obj.nozTempState === "true"
    return p
}

// A profile pushed by the server for number n, made safe, or null when it
// must be ignored (number out of range in the request or in the profile).
function validatePushed(obj, n) {
    n = toNumber(n, NaN)
    if (!obj || !inRange(n, RANGES.programValue) || !inRange(toNumber(obj.programValue, NaN), RANGES.programValue))
        return null
    var p = interpret(obj, Math.round(n))
    p.tuning = Math.max(1, p.tuning)
    if (p.mode !== 0)
        p.dispenseCycles = 2
    return p
}

// The object a save writes: keys in file order, numbers as whole-number text
// except programValue and mode.
function toFileObject(p) {
    var o = {}
    for (var i = 0; i < KEYS.length; ++i) {
        var key = KEYS[i]
        if (key === "programValue" || key === "mode")
            o[key] = Number(p[key])
        else if (key === "nozTempState")
            o[key] = p[key] === true
        else
            o[key] = Number(p[key]).toFixed(0)
    }
    return o
}

function copy(p) {
    var o = {}
    for (var i = 0; i < KEYS.length; ++i)
        o[KEYS[i]] = p[KEYS[i]]
    return o
}

// Pulse frequency in Hz of the rise, dwell, fall and delay times (µs).
function frequency(p) {
    var period = Number(p.riseTime) + Number(p.dwell) + Number(p.fallTime) + Number(p.delay)
    return period > 0 ? 1000000 / period : 0
}

// Profile number one step away, wrapping 1 <-> 50.
function step(n, delta) {
    return ((Number(n) - 1 + delta + COUNT) % COUNT + COUNT) % COUNT + 1
}

function label(n) {
    return Number(n) === COUNT ? "P" : String(n)
}

// Short name shown for a fault identifier of the input thread.
function faultName(txt) {
    var names = { NOZZLE_TEMP: "NT ERR", PIEZO_TEMP: "PT ERR", AMP_TEMP: "AT ERR",
                  BOOST_SUPPLY_TEMP: "BT ERR", SUPPLY_VOLTAGE: "AV ERR" }
    return names[txt] || txt
}
