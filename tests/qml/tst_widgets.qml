import QtQuick 2.4
import QtTest 1.1
import "../../qml"

Item {
    id: root

    width: 480
    height: 480

    NumericalKeypad { id: keypad; width: 240; height: 272 }
    ScrollNumbers { id: editor; y: 280; width: 400; height: 150 }

    // Opens a page over itself, as the settings page's icons do.
    TouchButton { id: tipButton; x: 400; y: 440; width: 60; height: 30; tooltip: "REMOTE SERVER"; onClicked: cover.visible = true }
    Rectangle { id: cover; anchors.fill: tipButton; visible: false }

    SignalSpy { id: keySpy; target: keypad; signalName: "keyPressed" }
    SignalSpy { id: saveSpy; target: editor; signalName: "save" }

    TestCase {
        name: "Widgets"
        when: windowShown

        readonly property var columnNames: ["thousandID", "hundredID", "tenID", "oneID", "decOneID", "decTenID", "decHunID"]

        function column(name) { return findChild(editor, name) }

        // Digits pass one by one, erase sends "", the dot key is disabled.
        function test_keypad() {
            ["key4", "keyErase", "keyDot", "key0"].forEach(function (k) { mouseClick(findChild(keypad, k)) })
            compare(keySpy.signalArguments.map(function (a) { return a[0] }), ["4", "", "0"])
        }

        // A tap spends the tooltip while the pointer stays on the button, under
        // the page the tap opened; leaving and coming back offers it again.
        function test_tooltipGoesWithTap() {
            var due = findChild(tipButton, "tooltipTimerID")
            mouseMove(tipButton, 10, 10)
            tryCompare(due, "running", true)
            mouseClick(tipButton, 10, 10)
            mouseMove(tipButton, 12, 10)
            verify(cover.visible && !due.running)
            cover.visible = false
            mouseMove(root, 10, 470)
            mouseMove(tipButton, 10, 10)
            tryCompare(due, "running", true)
        }

        // Visible columns ("-" hidden, "x" shown), icon and shift for each parameter id.
        function test_layout_data() {
            return [
                { tag: "cycles", id: 1, cols: "xxxxxxx", icon: "Cycle.png", shift: 0 },
                { tag: "dwell", id: 2, cols: "---xxxx", icon: "Dwell.png", shift: 1.5 },
                { tag: "duty", id: 3, cols: "----xxx", icon: "DutyCycle.png", shift: 2 },
                { tag: "rise", id: 4, cols: "---xxxx", icon: "RiseTime.png", shift: 1.5 },
                { tag: "fall", id: 5, cols: "---xxxx", icon: "FallTime.png", shift: 1.5 },
                { tag: "delay", id: 6, cols: "-xxxxxx", icon: "Delay.png", shift: 0.5 },
                { tag: "nozzle", id: 7, cols: "-----xx", icon: "nozTemp.png", shift: 2.5 },
                { tag: "tuning", id: 8, cols: "xxxxxxx", icon: "Tuning.png", shift: 0 },
                { tag: "unknown", id: 9, cols: "xxxxxxx", icon: "Blank_Gray.png", shift: 0 }
            ]
        }
        function test_layout(data) {
            editor.setCurrentNumber(data.id, 250, 0)
            compare(columnNames.map(function (c) { return column(c).visible ? "x" : "-" }).join(""), data.cols)
            var icon = findChild(editor, "paramIconID")
            compare(String(icon.source), "qrc:///images/" + data.icon)
            compare(icon.opacity < 0.5, data.id === 9)
            compare(editor.scrollOffset, data.shift)
            compare(editor.ident, data.id)
        }

        // What the editor shows (visible digits) and what Save returns.
        function test_edit_data() {
            return [
                { tag: "down on the first dwell digit wraps 0 to 9", id: 2, n: 250, deci: 0,
                  clicks: [["oneID", "down"]], shown: "0250", saved: 9250 },
                { tag: "up wraps 9 to 0 without carry", id: 1, n: 19, deci: 0,
                  clicks: [["decHunID", "up"]], shown: "0000019", saved: 10 },
                { tag: "NaN loads as zeros", id: 1, n: "NaN", deci: 0, clicks: [], shown: "0000000", saved: 0 },
                { tag: "hidden decimals still count", id: 1, n: 5.25, deci: 1, clicks: [], shown: "05.2", saved: 5.25 },
                { tag: "two decimals", id: 1, n: 5.25, deci: 2, clicks: [["decOneID", "up"]], shown: "05.25", saved: 5.35 },
                { tag: "more than seven digits load as the largest", id: 1, n: 12345678, deci: 0,
                  clicks: [], shown: "9999999", saved: 9999999 },
                { tag: "text that is no number loads as zero", id: 1, n: "60C", deci: 0, clicks: [], shown: "0000000", saved: 0 },
                { tag: "a negative loads as zero", id: 6, n: -5, deci: 0, clicks: [], shown: "000000", saved: 0 }
            ]
        }
        function test_edit(data) {
            editor.setCurrentNumber(data.id, data.n, data.deci)
            var shown = ""
            columnNames.forEach(function (c) {
                if (c === "decOneID" && !editor.boolIsInt)
                    shown += "."
                if (column(c).visible)
                    shown += findChild(column(c), "digit").text
            })
            compare(shown, data.shown)
            data.clicks.forEach(function (c) { mouseClick(findChild(column(c[0]), c[1])) })
            saveSpy.clear()
            mouseClick(findChild(editor, "saveIconID"))
            compare(saveSpy.count, 1)
            compare(saveSpy.signalArguments[0][0], data.saved)
            compare(saveSpy.signalArguments[0][1], data.id)
        }
    }
}
