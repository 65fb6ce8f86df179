.pragma library

// The administrator password file: a three-letter state flag ("ZUM" password
// required, "NOK" password switched off) followed by the password digits.

var required = "ZUM"
var switchedOff = "NOK"
var factoryPassword = "4172"
var filePath = "/media/data/zumInfoDat.dat"
// A bound on what a foreign file or the keypad can hold, far above any
// password an operator types: a longer file password is not valid and would
// be replaced by the one in memory.
var maxDigits = 64

function isPassword(text) {
    return new RegExp("^[0-9]{1," + maxDigits + "}$").test(text)
}

// Reads the file's text. Only a file that holds a password after its flag
// counts ({ valid: true, flag, password }); a flag that is neither state is
// taken as "password required" and the file marked for rewriting (repaired).
// Anything else (missing, empty, cut short, foreign) is not valid: the caller
// keeps what it has and writes that back.
function parse(text) {
    var raw = String(text === undefined || text === null ? "" : text)
    var content = raw.replace(/[\r\n]+$/, "")
    var flag = content.substring(0, 3)
    var password = content.substring(3)
    if (!isPassword(password))
        return { valid: false }
    var known = flag === required || flag === switchedOff
    return {
        valid: true,
        flag: known ? flag : required,
        password: password,
        repaired: !known || content !== raw
    }
}

// An empty entry never matches, whatever the stored password is.
function matches(entered, password) {
    return String(entered).length > 0 && entered === password
}

// Reads the password file through `files` (a FileIo). Returns { flag, password }:
// the file's pair when it holds a valid one, else the pair given, which is
// then written back, as is a pair that needed repair; so the file never keeps
// an empty password.
function load(files, name, flag, password) {
    var stored = parse(files.read(name))
    if (stored.valid) {
        flag = stored.flag
        password = stored.password
    }
    if (!stored.valid || stored.repaired) {
        console.log("AdminPage: password file rewritten as " + flag)
        if (!files.write(name, flag + password))
            console.log("AdminPage: password file could not be written")
    }
    return { flag: flag, password: password }
}
