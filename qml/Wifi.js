.pragma library

// Scan lines, network lists and the USB pass-phrase file as the Wi-Fi page
// reads them; kept apart from the page so that they can be checked alone.

var shownNameLength = 17

// The network name of a scan line ("\tSSID: name"), or undefined without "SSID: ".
function nameOf(line) {
    var text = String(line)
    var at = text.indexOf("SSID: ")
    return at < 0 ? undefined : text.substring(at + 6)
}

// The names of a scan, in order, once each; blank and nameless lines dropped.
function scanNames(lines) {
    var names = []
    for (var i = 0; i < lines.length; ++i) {
        var name = nameOf(lines[i])
        if (name !== undefined && name !== "" && name !== " " && names.indexOf(name) < 0)
            names.push(name)
    }
    return names
}

// The names of a list of scan lines, line by line.
function securedNames(lines) {
    var names = []
    for (var i = 0; i < lines.length; ++i)
        names.push(nameOf(lines[i]))
    return names
}

// A network the scan listed as open. One it could not place (its security
// lines not paired with its name) counts as secured, so that it is never
// joined without a pass phrase.
function isOpen(name, unsecuredLines) {
    return securedNames(unsecuredLines).indexOf(name) >= 0
}

// The texts shown for a selected network: its kind, its description and
// what the operator has to do to join it.
function classify(name, unsecuredLines) {
    var isSecured = !isOpen(name, unsecuredLines)
    return {
        secured: isSecured,
        kind: isSecured ? "Secured" : "Unsecured",
        description: isSecured ? "Secured Network" : "Unsecured Network",
        hint: isSecured ? "Insert USB with password" : "Connect without password",
        shownName: String(name).substring(0, shownNameLength)
    }
}

// Where the tumbler goes from `index` in a list of `count`: "first", "up"
// and "down" (both wrapping around) or "last".
function moveIndex(index, count, where) {
    if (count <= 0)
        return 0
    switch (where) {
    case "first": return 0
    case "last": return count - 1
    case "up": return (index - 1 + count) % count
    case "down": return (index + 1) % count
    }
    return index
}

// What the lines of the pass-phrase file ask for: the pass phrase alone, or
// the pass phrase and then the network to join; anything else is refused
// with the two texts the page shows. The file serves secured networks only,
// so a blank pass phrase is refused too: joined without one, a secured
// network would be taken for an open one and stored as such.
function passFileAction(lines) {
    var refused = function (message1) {
        return { ok: false, message1: message1, message2: "Check the file password.txt" }
    }
    if (lines.length > 2)
        return refused("Has more than 2 lines")
    if (lines.length === 0 || String(lines[0]).trim() === "")
        return refused("Has no pass phrase")
    return { ok: true, passcode: lines[0], ssid: lines.length === 2 ? lines[1] : "" }
}

// The stored setup of the last joined network, or null when the text is not
// one (an empty or broken file, or a name that is not text).
function parseSetup(text) {
    if (text.length <= 5)
        return null
    var setup
    try {
        setup = JSON.parse(text)
    } catch (e) {
        return null
    }
    if (setup === null || typeof setup !== "object" || typeof setup.ssid !== "string" || setup.ssid === "")
        return null
    return { ssid: setup.ssid, passcode: typeof setup.passcode === "string" ? setup.passcode : "" }
}

function setupText(ssid, passcode) {
    return JSON.stringify({ wifi: true, ssid: ssid, passcode: passcode })
}
