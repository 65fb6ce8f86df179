.pragma library

// Driver-board replies and the profile-number keypad as the main window reads
// them; kept apart from the window so that they can be tested on their own.

// One dispensed-cycles record: "P17:", the count right-aligned in ten digits
// or blanks, carriage return, line feed.
var countRecord = /P17:([0-9 ]{10})\r\n/;
var recordLength = 16;
// The unfinished start of a record at the end of a read: "P", "P1", "P17",
// "P17:" and up to ten count characters, maybe the carriage return.
var recordStart = /^P(?:1(?:7(?::[0-9 ]{0,10}\r?)?)?)?$/;

// Adds up the counts of every complete record in `text`, which may continue
// the unfinished record `carry` left by the previous read. Returns the sum
// (a blank count is 0, a count with a blank between digits makes it NaN),
// how many records there were, and the unfinished record to carry into the
// next read ("" when there is none).
function sumCountRecords(carry, text) {
    var rest = carry + text;
    var sum = 0;
    var found = 0;
    for (var match = countRecord.exec(rest); match !== null; match = countRecord.exec(rest)) {
        sum += Number(match[1]);
        found++;
        rest = rest.slice(match.index + recordLength);
    }
    var tail = rest.slice(Math.max(0, rest.lastIndexOf("P")));
    return { sum: sum, found: found, carry: recordStart.test(tail) ? tail : "" };
}

// One read from the driver board: the firmware version of a "P26:" reply in
// it (null when there is none) and the count records, which may follow
// another reply in the same read or be cut between two reads.
function readReply(carry, text) {
    var reply = sumCountRecords(carry, text);
    var at = text.indexOf("P26:");
    reply.version = at >= 0 ? firmwareVersion(text.slice(at)) : null;
    return reply;
}

// The firmware version of a "P26:" reply: the nine characters after the tag.
function firmwareVersion(reply) {
    return reply.substring(4, 13);
}

// Profile-number keypad: a digit key appends, the erase key ("") drops the
// last digit; the number never passes 50.
function keypadNumber(current, key) {
    var next = key === "" ? Math.floor(current / 10) : current * 10 + Number(key);
    return Math.min(next, 50);
}

// The profile a submitted keypad number selects: 1 to 50.
function submittedProfile(number) {
    return Math.max(1, Math.min(50, number));
}

// The third blank-separated word of the kernel's driver start-up line.
function driverVersionOf(line) {
    var words = line.split(" ");
    return words.length > 2 ? words[2].trim() : "";
}
