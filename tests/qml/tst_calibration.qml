import QtQuick 2.4
import QtTest 1.1
import "harness"
import "../../qml"

// Stands in for the main window around the calibration page.
Item {
    id: root

    property var hourGlass: []

    function startCalibration() { handleThread.sendStartCalibrationSignal() }
    function triggerHourGlass(ms) { hourGlass.push(ms) }

    width: 480
    height: 272

    FakeThreadHandler { id: handleThread }

    Calibration {
        id: page

        anchors.fill: parent
        visible: false
    }

    SignalSpy {
        id: completedSpy

        target: page
        signalName: "calibrationCompleted"
    }

    TestCase {
        name: "Calibration"
        when: windowShown

        function cleanup() {
            page.visible = false
            handleThread.heldFaults = []
        }

        // Each step calls a page function with its arguments; then what the
        // operator sees and what reached the control core.
        function test_flow_data() {
            var start = ["activateCalib"]
            var warm = ["updateMaxValue", 9999]
            var tight = ["updateADCTightValue", 300, 450]
            return [
                { tag: "closed before start", steps: [["preClose"]], text: "", icon: "Cancel", tight: 0, starts: 0, stops: 0, done: 1 },
                // A fault ends the calibration in the back end; the page makes way for it.
                { tag: "fault while preparing", steps: [["fault"]], text: "", icon: "Cancel", tight: 0, starts: 0, stops: 0, done: 1 },
                { tag: "started", steps: [start], text: " Calibration in progress...", icon: "Cancel", tight: 0, starts: 1, stops: 0, done: 0 },
                { tag: "warm-up report", steps: [start, warm], text: " Calibration in progress...", icon: "Submit", tight: 0, starts: 1, stops: 0, done: 0 },
                { tag: "tight value", steps: [start, warm, tight, ["updateMaxValue", 480]], text: " Calibration in progress...", icon: "Submit", tight: 450, starts: 1, stops: 0, done: 0 },
                { tag: "closed after completion", steps: [start, warm, ["informCalibrationDone"], ["closeProgress"]], text: " Calibration Stopped !", icon: "Submit", tight: 0, starts: 1, stops: 1, done: 1 },
                { tag: "fault during calibration", steps: [start, warm, ["fault"]], text: " Calibration in progress...", icon: "Submit", tight: 0, starts: 1, stops: 0, done: 1 },
                { tag: "reopened", steps: [start, warm, ["closeProgress"], ["reopen"], start], text: " Calibration in progress...", icon: "Cancel", tight: 0, starts: 2, stops: 1, done: 1 }
            ]
        }

        function test_flow(data) {
            handleThread.clear()
            completedSpy.clear()
            root.hourGlass = []
            page.visible = true
            page.startPreCalib()
            findChild(page, "calibProgressID").text = ""
            for (var i = 0; i < data.steps.length; ++i) {
                var step = data.steps[i]
                if (step[0] === "fault")
                    handleThread.heldFaults = ["AT ERR"]
                else if (step[0] === "preClose")
                    mouseClick(findChild(page, "preCalibCloseButtonID"))
                else if (step[0] === "reopen") {
                    page.visible = false
                    page.visible = true
                    page.startPreCalib()
                } else
                    page[step[0]].apply(page, step.slice(1))
            }
            compare(findChild(page, "calibProgressID").text, data.text)
            verify(String(findChild(page, "calibCloseButtonID").iconSource).indexOf(data.icon + ".png") > 0)
            compare([page.calibTightValue, page.calibLooseValue], [data.tight, data.tight ? data.tight + 50 : 0])
            compare(handleThread.count("sendStartCalibrationSignal"), data.starts)
            compare(handleThread.count("stopCalibration"), data.stops)
            compare(completedSpy.count, data.done)
            compare(root.hourGlass, data.stops ? [2000] : [])
            var gauge = ["adjustNoticeID", "calibBarID", "calibMarkerID", "calibValueBoxID"]
            gauge.forEach(function (name) { verify(!findChild(page, name).visible, name) })
        }

        // The hidden marker: its place along the bar as a fraction of the
        // range from tight to tight + 50, the middle snapped to the centre.
        function test_marker_data() {
            return [
                { tag: "middle snapped", tight: 450, value: 480, fraction: 0.5, lowered: 450 },
                { tag: "above range capped", tight: 450, value: 900, fraction: 1, lowered: 450 },
                { tag: "no tight value yet", tight: null, value: 250, fraction: 0, lowered: 0 },
                { tag: "near tight", tight: 450, value: 460, fraction: 0.2, lowered: 450 },
                { tag: "below tight lowers it", tight: 450, value: 420, fraction: 0, lowered: 420 }
            ]
        }

        function test_marker(data) {
            page.visible = true
            page.activateCalib()
            if (data.tight !== null)
                page.updateADCTightValue(300, data.tight)
            page.updateMaxValue(data.value)
            var dialog = findChild(page, "mainCalibDialogID")
            fuzzyCompare(findChild(page, "calibMarkerID").x, dialog.width * (0.145 + 0.63 * data.fraction), 0.01)
            compare(page.calibTightValue, data.lowered)
            compare(findChild(page, "calibValueTextID").text, String(data.value))
        }
    }
}
