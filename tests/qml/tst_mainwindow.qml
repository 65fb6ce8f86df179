import QtQuick 2.4
import QtTest 1.2
import "../../qml/Replies.js" as Replies

// How the main window reads the driver board's replies and the profile keypad.
TestCase {
    name: "MainWindowReplies"

    function record(count) {
        var text = String(count)
        while (text.length < 10)
            text = " " + text
        return "P17:" + text + "\r\n"
    }

    function test_countRecords_data() {
        var r = record(82)
        return [
            { tag: "split right after the tag", reads: ["P17:", "        82\r\n"], sums: [null, 82] },
            { tag: "noise is not carried", reads: ["P17:xx garbage", r], sums: [null, 82] },
            { tag: "blank count adds nothing", reads: ["P17:          \r\n" + r], sums: [82] },
            { tag: "blank between digits", reads: ["P17:      8 2 \r\n" + r], sums: [NaN] },
            { tag: "behind an echo", reads: ["P04:1\r\n" + r], sums: [82] },
            { tag: "cut after an echo", reads: ["P04:1\r\nP1", "7:        82\r\n"], sums: [null, 82] },
            { tag: "after the version", reads: ["P26:ZUMDSP-01.23.45\r\n" + r], sums: [82] }
        ]
    }

    function test_countRecords(data) {
        var carry = ""
        for (var i = 0; i < data.reads.length; i++) {
            var result = Replies.readReply(carry, data.reads[i])
            carry = result.carry
            if (data.sums[i] === null)
                compare(result.found, 0, "read " + i)
            else if (isNaN(data.sums[i]))
                verify(isNaN(result.sum))
            else
                compare(result.sum, data.sums[i], "read " + i)
        }
        compare(carry, "")
    }

    function test_firmwareVersionIsNineCharacters() {
        compare(Replies.readReply("", "P04:1\r\nP26:ZUMDSP-01.23.45\r\n").version, "ZUMDSP-01")
        compare(Replies.readReply("", "P17:        82\r\n").version, null)
    }

    function test_profileKeypad_data() {
        return [
            { tag: "7 3 caps at 50", keys: ["7", "3"], shown: 50, profile: 50 },
            { tag: "4 2 clear", keys: ["4", "2", ""], shown: 4, profile: 4 },
            { tag: "0 submits profile 1", keys: ["0"], shown: 0, profile: 1 }
        ]
    }

    function test_profileKeypad(data) {
        var number = 0
        for (var i = 0; i < data.keys.length; i++)
            number = Replies.keypadNumber(number, data.keys[i])
        compare(number, data.shown)
        compare(Replies.submittedProfile(number), data.profile)
    }

    function test_driverVersion() {
        compare(Replies.driverVersionOf("zuvc: zuvc_init 2.1.7\n"), "2.1.7")
        compare(Replies.driverVersionOf("zuvc_init"), "")
    }
}
