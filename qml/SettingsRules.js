.pragma library

// Rules of the settings file and the run settings fields,
// kept out of the pages so that they can be checked on their own.

var defaultServerPort = "4900"
var maxSettingsText = 65536
var maxRepeatDelay = 10000
var minSequence = 1
var maxSequence = 50

// A new settings object with the five keys of a first start, in file order;
// the server address is the one the console was built with.
function defaults(serverIP) {
    return {
        "trigOutForCamera": true,
        "repeatEnabled": false,
        "repeatDelay": 100,
        "RemoteServerIP": serverIP,
        "RemoteServerPort": defaultServerPort
    }
}

// What stands in for an unusable sequence value: a first start writes no
// sequence keys, and the run settings page shows a sequence of 1 to 1.
var sequenceFallback = { "seqEnabled": false, "seqStart": "1", "seqEnd": "1" }

function isWholeNumber(value) {
    return typeof value === "number" && Math.floor(value) === value && isFinite(value)
}

function isDigits(text) {
    return typeof text === "string" && /^[0-9]*$/.test(text)
}

function isSequenceNumber(text) {
    return isDigits(text) && text !== "" && text.length <= 2
            && Number(text) >= minSequence && Number(text) <= maxSequence
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
            return isWholeNumber(value) && value >= 0 && value <= maxRepeatDelay
        return isDigits(value) && Number(value) <= maxRepeatDelay
    case "RemoteServerIP":
        return typeof value === "string"
    case "RemoteServerPort":
        return typeof value === "string" || (isWholeNumber(value) && value >= 0)
    case "seqStart":
    case "seqEnd":
        // An emptied field may be stored while the sequence is off.
        return value === "" || isSequenceNumber(value)
    default:
        return true
    }
}

// Reads the text of the settings file. Returns { settings, firstStart, problems }:
// an empty text is a first start; any other text keeps its usable keys in
// their stored order, an unusable value of a known key gives way to its
// default in place, a missing key of a first start is added at the end, and
// every such key is named in problems (the caller then writes the repaired
// settings back). serverIP is the built-in server address.
function parseSettings(text, serverIP) {
    var result = { settings: defaults(serverIP), firstStart: false, problems: [] }
    if (text === "" || text === undefined || text === null) {
        result.firstStart = true
        return result
    }
    // Editors on other systems start the file with a UTF-8 byte-order mark,
    // which the file service hands over as three Latin-1 characters.
    if (text.indexOf("\u00ef\u00bb\u00bf") === 0)
        text = text.substring(3)
    else if (text.charAt(0) === "\ufeff")
        text = text.substring(1)
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
    var has = function (object, key) { return Object.prototype.hasOwnProperty.call(object, key) }
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
        if (has(fallback, key))
            settings[key] = fallback[key]
        else if (has(sequenceFallback, key))
            settings[key] = sequenceFallback[key]
    }
    // The port is text in the file; a whole number is taken for that text.
    if (typeof settings.RemoteServerPort === "number") {
        result.problems.push("RemoteServerPort stored as a number")
        settings.RemoteServerPort = String(settings.RemoteServerPort)
    }
    // A sequence that is on steps through profiles 1 to 50 only, upwards;
    // one that ends before it starts is switched off, its fields kept.
    if (settings.seqEnabled === true) {
        ["seqStart", "seqEnd"].forEach(function (k) {
            if (!isSequenceNumber(settings[k])) {
                result.problems.push("no " + k + " for the sequence")
                settings[k] = sequenceFallback[k]
            }
        })
        if (Number(settings.seqStart) > Number(settings.seqEnd)) {
            result.problems.push("sequence starts after its end")
            settings.seqEnabled = sequenceFallback.seqEnabled
        }
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

// Every part of an address is read as decimal: "010" is 10, never octal 8.
function isIPv4(text) {
    if (typeof text !== "string" || !/^[0-9]{1,3}(\.[0-9]{1,3}){3}$/.test(text))
        return false
    return text.split(".").every(function (octet) { return Number(octet) <= 255 })
}

// The address without leading zeros ("127.0.0.010" is "127.0.0.10"), so no
// reader can take a part for octal; anything else is returned as it is.
function normalisedIPv4(text) {
    if (!isIPv4(text))
        return text
    return text.split(".").map(function (octet) { return String(Number(octet)) }).join(".")
}

function isPort(text) {
    var s = String(text)
    return /^[0-9]{1,5}$/.test(s) && Number(s) >= 1 && Number(s) <= 65535
}

// Why the remote link cannot start with this address and port; "" when it can.
// 0.x.x.x names this host or network, 224 and above multicast and reserved
// ranges: no server has such an address.
function remoteTargetProblem(ip, port) {
    var first = Number(String(ip).split(".")[0])
    if (!isIPv4(ip) || first === 0 || first >= 224)
        return "no usable server address"
    if (!isPort(port))
        return "no usable server port"
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

// Why a run configuration cannot be submitted; "" when it can. Only a
// sequence that is switched on must be one the control core can run.
function runConfigProblem(seqSelected, seqStart, seqEnd) {
    if (!seqSelected)
        return ""
    if (!isSequenceNumber(seqStart) || !isSequenceNumber(seqEnd))
        return "Sequence start and end must be 1 to 50"
    if (Number(seqStart) > Number(seqEnd))
        return "Sequence start must not exceed end"
    return ""
}
