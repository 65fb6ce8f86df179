import QtQuick 2.4
import QtTest 1.2
import com.zum.qml 1.0
import "harness"
import "../../qml"

// The operating screen hosted in a stand-in for the main window.
Item {
    id: root

    property bool adminControl: true
    property bool runInProgressState: false
    property bool controllerFault: handleThread.heldFaults.length > 0
    property string controllerFaultRequestor: controllerFault ? handleThread.heldFaults[0] : "NONE"
    property bool homePageIndicator: true
    property int progressPercent: 0
    property string zumFilePath: "/media/data/"
    property string version: "08.00.46 "
    property string driverVersion: " "
    property string dspicVersion: " "
    property bool isOnline: false
    property string ip: "0.0.0.0"
    property string mac: "0.0.0.0"
    property string estopActivator: " "
    property bool serviceModeState: false
    property bool startHeatingAfterCal: false
    property bool valveConnected: true
    property int currentCompensationFactor: 250

    function triggerHourGlass(t) {}
    function startStopInputThread(s) {}
    function invokeProfileKeyPad() {}
    function setResetBanner(s) {}
    function refreshIPAddress() { ip = "127.0.0.1" }
    function getMacAddress() { return "00:00:00:00:00:00" }

    width: 408
    height: 272

    FileIo { id: fileIo }
    FakeThreadHandler { id: handleThread }
    JetValve { id: page; anchors.fill: parent; onUpdateValveShutDown: handleThread.gotCallForShutDown(requestor, state) }

    SignalSpy { id: sent; target: page; signalName: "setProfileValues" }
    SignalSpy { id: eprom; target: page; signalName: "updateEPROMCount" }
    SignalSpy { id: purgeOn; target: page; signalName: "purgePressed" }
    SignalSpy { id: shutdowns; target: page; signalName: "updateValveShutDown" }
    SignalSpy { id: popups; target: page; signalName: "openModalPopup" }
    SignalSpy { id: led; target: page; signalName: "setHeaterLED" }

    function file(n, suffix) { return "/media/data/" + n + "JV.profile" + (suffix || "") }
    function lastSent() { return sent.signalArguments[sent.count - 1][0] }
    function item(name) { return jetValveCase.findChild(page, name) }
    function reset() {
        handleThread.clear()
        handleThread.heldFaults = []
        adminControl = true
        page.purgeFlag = false
        page.heatingSelected = false
        page.updateNozzleTempState(false)
        page.nozzleTemp = 0
        page.nozzleTempOvertempCounter = 0
        page.nozzleTempOverSetpointCounter = 0
        page.defeatOvertempSetpointError = false
        page.setGuiParams({ dwell: 250, dispenseCycles: 5 }, 3)
        serviceModeState = false
        estopActivator = " "
        var spies = [sent, eprom, purgeOn, shutdowns, popups, led]
        for (var i = 0; i < spies.length; i++)
            spies[i].clear()
    }

    TestCase {
        id: jetValveCase

        name: "JetValve"
        when: windowShown

        function init() { reset() }

        function test_load_data() {
            var good = JSON.stringify({ dwell: "250", dispenseCycles: "9" })
            var backup = JSON.stringify({ dwell: "300" })
            return [
                { tag: "main file", n: 11, main: good, backup: backup, expect: { dwell: 250, dispenseCycles: 9 } },
                { tag: "empty main, backup", n: 13, main: "", backup: backup, expect: { dwell: 300 } },
                { tag: "main not JSON, backup", n: 14, main: "{dwell:", backup: backup, expect: { dwell: 300 }, bad: 1 },
                { tag: "leftover", n: 15, main: "", leftover: good, expect: { dwell: 250 } },
                { tag: "not JSON, no copies", n: 16, main: "[1]", expect: { dwell: 1, riseTime: 80 }, bad: 2 },
                { tag: "defaults for 12", n: 12, expect: { programValue: 12, dispenseCycles: 1, dwell: 1, dutyCycle: 1,
                      riseTime: 80, fallTime: 80, delay: 1, cycleCount: 0, mode: 0, nozTemp: 30, nozTempState: false, tuning: 0 } },
                { tag: "totalCycles", n: 17, main: '{"totalCycles":40}', expect: { dispenseCycles: 40 } },
                { tag: "no cycle key", n: 18, main: '{"dwell":"2"}', expect: { dispenseCycles: 100 } },
                { tag: "nozTemp 10", n: 19, main: '{"nozTemp":"10"}', expect: { nozTemp: 14 } },
                { tag: "raw values clamped", n: 20, main: '{"dwell":"12000","nozTemp":"60C","riseTime":"x"}',
                  expect: { dwell: 9999, nozTemp: 30, riseTime: 80 } },
                { tag: "number out of range", n: 51, main: good, expect: { programValue: 3, dwell: 250 }, sends: 0 }
            ]
        }

        function test_load(data) {
            if (data.main !== undefined) fileIo.write(file(data.n), data.main)
            if (data.backup) fileIo.write(file(data.n, "_BKUP"), data.backup)
            if (data.leftover) fileIo.write(file(data.n, ".a1b2c3"), data.leftover)
            for (var i = 0; i < (data.bad || 0); i++)
                ignoreWarning("profile file is not valid JSON, trying the next copy: " + file(data.n))
            if (data.sends === 0)
                ignoreWarning("no profile number " + data.n)
            page.setGuiParams(page.loadProfile(data.n), data.n)
            compare(sent.count, data.sends === 0 ? 0 : 1)
            for (var key in data.expect)
                compare(page.currentProfile[key], data.expect[key], key)
            if (data.main === "")
                compare(fileIo.read(file(data.n)), data.leftover ? data.leftover : "")
        }

        // What the link stored (it refuses anything outside the limits) is
        // shown and saved: line mode with its two pulses, tuning at least 1.
        function test_push_data() {
            return [
                { tag: "mode text 0", n: 25, push: { programValue: 25, mode: "0", dispenseCycles: 7 }, expect: { mode: 0, dispenseCycles: "7" } },
                { tag: "line mode", n: 26, push: { programValue: 26, mode: 1, dispenseCycles: 7, tuning: 0 },
                  expect: { mode: 1, dispenseCycles: "2", tuning: "1" } }
            ]
        }

        function test_push(data) {
            fileIo.write(file(data.n), JSON.stringify(data.push))
            page.vaidateAndSetGuiParams(page.loadProfile(data.n), data.n)
            var saved = JSON.parse(fileIo.read(file(data.n)))
            for (var key in data.expect)
                compare(saved[key], data.expect[key], key)
            compare(lastSent().programValue, data.n)
        }

        function test_saveWritesKeysInOrderAndBackup() {
            page.setGuiParams({ dwell: 250.4, dutyCycle: "80", delay: 1000, nozTemp: 30 }, 3)
            verify(page.saveProgram())
            var text = '{"programValue":3,"dispenseCycles":"100","dwell":"250","dutyCycle":"80","riseTime":"80",'
                     + '"fallTime":"80","delay":"1000","cycleCount":"0","mode":0,"nozTemp":"30","nozTempState":false,"tuning":"0"}'
            compare(fileIo.read(file(3)), text)
            compare(fileIo.read(file(3, "_BKUP")), text)
        }

        function test_editorLimits_data() {
            return [
                { tag: "dwell 0", id: 2, n: 0, key: "dwell", value: 1 },
                { tag: "duty 150", id: 3, n: 150, key: "dutyCycle", value: 100 },
                { tag: "cycles rounded", id: 1, n: 7.6, key: "dispenseCycles", value: 8 }
            ]
        }

        function test_editorLimits(data) {
            item("scrollNumbersID").save(data.n, data.id)
            compare(page.currentProfile[data.key], data.value)
            compare(lastSent()[data.key], data.value)
        }

        function test_logoutClosesTheEditor() {
            page.openEditor(2)
            verify(item("scrollNumbersID").visible)
            adminControl = false
            verify(!item("scrollNumbersID").visible)
            item("scrollNumbersID").save(420, 2)
            compare(sent.count, 0)
        }

        function test_frequency() {
            var values = [[4, 80], [2, 1000], [5, 80], [6, 8840]]
            for (var i = 0; i < values.length; i++)
                page.setNumber(values[i][0], values[i][1])
            compare(item("freqID2").text, " 100  Hz")
        }

        function test_arrows_data() {
            return [
                { tag: "left from 1", from: 1, arrow: "leftArrowID", to: 50, shown: "P" },
                { tag: "right from 50", from: 50, arrow: "rightArrowID", to: 1, shown: "1" }
            ]
        }

        function test_arrows(data) {
            page.setGuiParams({}, data.from)
            mouseClick(item(data.arrow))
            compare(page.currentProfile.programValue, data.to)
            compare(item("programSelect").text, data.shown)
        }

        function test_purgeHoldKeepsOperatorProfile() {
            mousePress(item("purgeButtonID"))
            tryCompare(purgeOn, "count", 1)
            compare(sent.count, 0) // the back end gives the board the purge's count itself
            page.updateCycleCounter(500)
            compare(page.currentProfile.cycleCount, 0)
            verify(page.saveProgram())
            compare(JSON.parse(fileIo.read(file(3))).dispenseCycles, "5")
            mouseRelease(item("purgeButtonID"))
            tryCompare(sent, "count", 1)
            compare(lastSent().dispenseCycles, 5)
        }

        // The board's reports reach the valve count whatever holds the valve
        // (after a stop it reports what it dispensed before), ten digits whole.
        function test_counters_data() {
            return [
                { tag: "dot run counted once", fault: false, report: 5, count: 5, eprom: [5] },
                { tag: "under a fault", fault: true, report: 5, count: 0, eprom: [5] },
                { tag: "ten digits", fault: false, report: 9999999999, count: 5, eprom: [9999999999] }
            ]
        }

        function test_counters(data) {
            if (data.fault)
                handleThread.heldFaults = ["BT ERR"]
            page.updateCycleCounter(5)
            page.incrementCycleCounter(data.report)
            compare(page.currentProfile.cycleCount, data.count)
            compare(eprom.signalArguments.map(function (a) { return a[0] }), data.eprom)
        }
    }

    TestCase {
        name: "Heater"
        when: windowShown

        function init() {
            reset()
            page.heatingSelected = true
            item("nTempValueID").text = "45"
        }

        function sample(nZ, pT) { page.updateInputValues(pT || 30, 0, 0, 30, 0, 30, 0, nZ) }
        function logs(type) { return handleThread.named("thLogOTError").filter(function (c) { return c.args[0] === type }).length }

        function test_regulation_data() {
            return [
                { tag: "40.0 heats", t: 40.0, sp: "45", demand: true, led: false },
                { tag: "43.0 at temperature", t: 43.0, sp: "45", demand: false, led: true },
                { tag: "47.5 above", t: 47.5, sp: "45", demand: false, led: false },
                { tag: "setpoint not a number", t: 40.0, sp: "60C", demand: false, led: false }
            ]
        }

        function test_regulation(data) {
            sample(40.0)
            item("nTempValueID").text = data.sp
            sample(data.t)
            compare(page.nozzleHeaterStatus, data.demand)
            compare(led.signalArguments[led.count - 1][0], data.led)
        }

        function test_sensorLoss_data() {
            return [
                { tag: "NA", nZ: 0, demand: false, ledOff: 1 },
                { tag: "--", nZ: 9999, demand: true, ledOff: 0 }
            ]
        }

        function test_sensorLoss(data) {
            sample(40.0)
            led.clear()
            sample(data.nZ)
            compare(item("nzTempValueID").text, data.nZ ? "--" : "NA")
            compare(page.nozzleHeaterStatus, data.demand)
            compare(led.count, data.ledOff)
            page.supervise()
            compare(root.controllerFaultRequestor, "NT ERR")
            compare(logs(3), 1)
            compare(page.nozzleHeaterStatus, false)
        }

        function test_overTemperature_data() {
            return [ { tag: "one tick", ticks: 1, logs: 0 }, { tag: "two ticks", ticks: 2, logs: 1 }, { tag: "three ticks", ticks: 3, logs: 2 } ]
        }

        function test_overTemperature(data) {
            sample(104.0)
            for (var i = 0; i < data.ticks; i++)
                page.supervise()
            compare(logs(2), data.logs)
            compare(root.controllerFault, data.logs > 0)
            compare(popups.count, data.logs > 0 ? 1 : 0)
        }

        function test_noError200UntilDemandOnce() {
            page.heatingSelected = false
            item("nTempValueID").text = "50"
            sample(70)
            page.heaterButtonClicked()
            for (var i = 0; i < 12; i++)
                page.supervise()
            compare(root.controllerFault, false)
            sample(40)
            sample(70)
            for (i = 0; i < 10; i++)
                page.supervise()
            compare(popups.signalArguments[0][0], "ERROR 200")
            compare(logs(1), 1)
        }

        // The screen shows the back end's set and does its part as a fault comes and goes.
        function test_faults_data() {
            return [
                { tag: "piezo", report: "PIEZO_TEMP", held: ["PT ERR"], shown: "PT ERR", log: 4, popups: 0 },
                { tag: "nozzle", report: "NOZZLE_TEMP", held: ["NT ERR"], shown: "NT ERR", log: 3, popups: 1 },
                { tag: "stop over a fault", report: "ESTOP", held: ["AT ERR", "ESTOP"], shown: "AT ERR +1", log: 0, popups: 0 }
            ]
        }

        function test_faults(data) {
            serviceModeState = true
            sample(20)
            verify(page.nozzleHeaterStatus)
            handleThread.heldFaults = data.held
            page.updateFault(data.report, true)
            compare(page.nozzleHeaterStatus, false)
            compare(serviceModeState, false)
            compare(item("faultUpdateID").text, data.shown)
            compare(logs(data.log), data.log ? 1 : 0)
            compare(popups.count, data.popups)
            compare(valveConnected, data.report !== "PIEZO_TEMP")
            // Heating asked for under the hold is kept; the back end holds the heater off until the release.
            page.heaterButtonClicked()
            page.supervise()
            sample(20)
            verify(page.heatingSelected && page.nozzleHeaterStatus)
            handleThread.heldFaults = []
            page.updateFault(data.report, false)
            verify(valveConnected && !item("faultUpdateID").visible)
        }

        function test_piezoBarHalfFullAt52_5() {
            sample(40, 52.5)
            fuzzyCompare(item("hidePowerBarID").x, item("piezoPanelID").width / 2, 0.01)
        }
    }
}
