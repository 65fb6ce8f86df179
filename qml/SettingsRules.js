.pragma library

// Rules of the settings file and the run settings fields,
// kept out of the pages so that they can be checked on their own.

var defaultServerIP = "127.0.0.1"
var defaultServerPort = "4900"
var maxSettingsText = 65536
var maxRepeatDelay = 10000
var minSequence = 1
var maxSequence = 50

// A new settings object with the five keys of a first start, in file order.
function defaults() {
    return {
        "trigOutForCamera": true,
        "repeatEnabled": false,
        "repeatDelay": 100,
        "RemoteServerIP": defaultServerIP,
        "RemoteServerPort": defaultServerPort
    }
}

function isDigits(text) {
    return typeof text === "string" && /^[0-9]*$/.test(text)
}

// Whether a stored value has the type its key needs; unknown keys are kept as they are.
function validValue(key, value) {
    switch (key) {
    case "trigOutForCamera":
    case "repeatEnabled":
    case "seqEnabled":
        return typeof value === "boolean"
    case "repeatDelay":
        if (typeof value === "number")
            return Math.floor(value) === value && value >= 0 && value <= maxRepeatDelay
        return isDigits(value) && Number(value) <= maxRepeatDelay
    case "RemoteServerIP":
    case "RemoteServerPort":
        return typeof value === "string"
    case "seqStart":
    case "seqEnd":
        return isDigits(value) && value.length <= 2
    default:
        return true
    }
}

// Reads the text of the settings file. Returns { settings, firstStart, problems }:
// an empty text is a first start; any other text keeps its usable keys in
// their stored order, an unusable value of a known key gives way to its
// default in place, a missing key is added at the end, and every such key is
// named in problems (the caller then writes the repaired settings back).
function parseSettings(text) {
    var result = { settings: defaults(), firstStart: false, problems: [] }
    if (text === "" || text === undefined || text === null) {
        result.firstStart = true
        return result
    }
    if (text.length > maxSettingsText) {
        result.problems.push("file of " + text.length + " characters")
        return result
    }
    var stored
    try {
        stored = JSON.parse(text)
    } catch (e) {
        result.problems.push("not valid JSON")
        return result
    }
    if (stored === null || typeof stored !== "object" || Array.isArray(stored)) {
        result.problems.push("not a JSON object")
        return result
    }
    var fallback = result.settings
    var settings = {}
    var key
    for (key in stored) {
        // A key naming a member every object has ("__proto__",
        // "hasOwnProperty", ...) would replace that member: it is dropped.
        if (!(key in Object.prototype) && validValue(key, stored[key])) {
            settings[key] = stored[key]
            continue
        }
        result.problems.push("wrong value for " + key)
        if (Object.prototype.hasOwnProperty.call(fallback, key))
            settings[key] = fallback[key]
    }
    for (key in fallback) {
        if (!Object.prototype.hasOwnProperty.call(settings, key)) {
            result.problems.push("missing " + key)
            settings[key] = fallback[key]
        }
    }
    result.settings = settings
    return result
}

// Integer value of a field kept as typed: "05" is 5, "" (or anything else) 0.
function toInt(text) {
    var n = parseInt(text, 10)
    return isNaN(n) ? 0 : n
}

function isIPv4(text) {
    if (typeof text !== "string" || !/^[0-9]{1,3}(\.[0-9]{1,3}){3}$/.test(text))
        return false
    return text.split(".").every(function (octet) { return Number(octet) <= 255 })
}

function isPort(text) {
    var s = String(text)
    return /^[0-9]{1,5}$/.test(s) && Number(s) >= 1 && Number(s) <= 65535
}

// Why the remote link cannot start with this address and port; "" when it can.
function remoteTargetProblem(ip, port) {
    if (!isIPv4(ip))
        return "server address \"" + ip + "\" is not a dotted IPv4 address"
    if (!isPort(port))
        return "server port \"" + port + "\" is not within 1-65535"
    return ""
}

// Keypad input for a run settings field: a digit is appended, "" erases the
// last character; the delay is capped at 10000, a sequence field kept within
// 1 to 50 after a digit (erasing may leave it empty).
function runFieldInput(field, current, key) {
    if (key === "")
        return current.length > 0 ? current.slice(0, current.length - 1) : current
    if (!/^[0-9]$/.test(key))
        return current
    var text = current + key
    if (field === "DEL")
        return Number(text) > maxRepeatDelay ? String(maxRepeatDelay) : text
    if (Number(text) > maxSequence)
        return String(maxSequence)
    if (Number(text) < minSequence)
        return String(minSequence)
    return text
}

// Why a run configuration cannot be submitted; "" when it can.
function runConfigProblem(seqStart, seqEnd) {
    var inRange = function (t) {
        return isDigits(t) && t !== "" && Number(t) >= minSequence && Number(t) <= maxSequence
    }
    if (!inRange(seqStart) || !inRange(seqEnd))
        return "Sequence start and end must be 1 to 50"
    if (Number(seqStart) > Number(seqEnd))
        return "Sequence start must not exceed end"
    return ""
}
