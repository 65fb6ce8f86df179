import QtQuick 2.4
import QtTest 1.2
import "../../qml"

// Keypad rules of the run settings fields and the check before a submit.
Item {
    id: harness

    property bool runInProgressState: false

    width: 408
    height: 272

    RunSettings {
        id: page

        anchors.fill: parent
    }

    SignalSpy {
        id: saveSpy

        target: page
        signalName: "saveRunConfig"
    }

    TestCase {
        name: "RunSettings"
        when: windowShown

        function test_fieldInput_data() {
            return [
                { tag: "delay keeps the leading zero", field: "DEL", text: "0", keys: ["5"], result: "05" },
                { tag: "delay capped at 10000", field: "DEL", text: "", keys: ["1", "2", "0", "0", "0", "5"], result: "10000" },
                { tag: "start appends", field: "SEQS", text: "1", keys: ["5"], result: "15" },
                { tag: "start below 1", field: "SEQS", text: "", keys: ["0"], result: "1" },
                { tag: "end above 50", field: "SEQE", text: "", keys: ["9", "9"], result: "50" },
                { tag: "erase is not limited", field: "SEQE", text: "12", keys: ["", "", ""], result: "" },
                { tag: "other keys ignored", field: "DEL", text: "7", keys: ["."], result: "7" }
            ]
        }

        function test_fieldInput(data) {
            page.startUp(false, data.field === "DEL" ? data.text : "0", false,
                         data.field === "SEQS" ? data.text : "1", data.field === "SEQE" ? data.text : "1")
            page.currentSelection = data.field
            for (var i = 0; i < data.keys.length; i++)
                page.setText(data.keys[i])
            compare(data.field === "DEL" ? page.loc_RepeatDelay : data.field === "SEQS" ? page.loc_seqStart : page.loc_seqEnd,
                    data.result)
        }

        // Only a sequence that is on must run: one that is off is stored as typed.
        function test_submitChecksTheSequenceOnlyWhenOn_data() {
            return [
                { tag: "5 to 8", on: true, start: "5", end: "8", sent: 1, message: "" },
                { tag: "start above end", on: true, start: "30", end: "10", sent: 0, message: "Sequence start must not exceed end" },
                { tag: "erased start", on: true, start: "", end: "10", sent: 0, message: "Sequence start and end must be 1 to 50" },
                { tag: "off, start above end", on: false, start: "30", end: "10", sent: 1, message: "" },
                { tag: "off, erased start", on: false, start: "", end: "10", sent: 1, message: "" }
            ]
        }

        function test_submitChecksTheSequenceOnlyWhenOn(data) {
            saveSpy.clear()
            page.startUp(true, "100", data.on, data.start, data.end)
            mouseClick(findChild(page, "submitIconID"))
            compare(saveSpy.count, data.sent)
            compare(findChild(page, "runSettingsMessageID").text, data.message)
        }
    }
}
