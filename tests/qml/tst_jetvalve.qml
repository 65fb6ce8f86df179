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
    property bool controllerFault: false
    property string controllerFaultRequestor: "NONE"
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
    Item { id: mainBoxID }
    JetValve { id: page; anchors.fill: parent }

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
        page.heldFaults = []
        page.showFaults()
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

        function test_push_data() {
            return [
                { tag: "dwell 12000", n: 21, push: { programValue: 21, dwell: 12000 }, expect: { dwell: "9999" } },
                { tag: "rise 5", n: 22, push: { programValue: 22, riseTime: 5 }, expect: { riseTime: "80" } },
                { tag: "programValue 0", n: 23, push: { programValue: 0, dwell: 5 } },
                { tag: "programValue 51", n: 24, push: { programValue: 51, dwell: 5 } },
                { tag: "mode text 0", n: 25, push: { programValue: 25, mode: "0", dispenseCycles: 7 }, expect: { mode: 0, dispenseCycles: "7" } },
                { tag: "mode 2", n: 26, push: { programValue: 26, mode: 2, dispenseCycles: 7 }, expect: { mode: 1, dispenseCycles: "2" } },
                { tag: "other number addressed", n: 27, push: { programValue: 4, dwell: 44 }, expect: { programValue: 27, dwell: "44" } },
                { tag: "non-numbers", n: 28, push: { programValue: 28, dwell: "abc", nozTemp: "60C" }, expect: { dwell: "1", nozTemp: "30" } }
            ]
        }

        function test_push(data) {
            var stored = '{"programValue":' + data.n + ',"dwell":"77"}'
            fileIo.write(file(data.n, "_BKUP"), stored)
            fileIo.write(file(data.n), JSON.stringify(data.push))
            if (!data.expect)
                ignoreWarning("ignored profile pushed for number " + data.n)
            page.vaidateAndSetGuiParams(page.loadProfile(data.n), data.n)
            if (!data.expect) {
                compare(sent.count, 0)
                compare(fileIo.read(file(data.n)), stored)
                return
            }
            var saved = JSON.parse(fileIo.read(file(data.n)))
            for (var key in data.expect)
                compare(saved[key], data.expect[key], key)
            compare(fileIo.read(file(4)), "")
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
            page.updateCycleCounter(500)
            compare(page.currentProfile.cycleCount, 0)
            verify(page.saveProgram())
            compare(JSON.parse(fileIo.read(file(3))).dispenseCycles, "5")
            mouseRelease(item("purgeButtonID"))
            tryCompare(sent, "count", 2)
            compare(lastSent().dispenseCycles, 5)
        }

        function test_counters_data() {
            return [
                { tag: "dot run counted once", fault: false, count: 5, eprom: [5] },
                { tag: "under a fault", fault: true, count: 0, eprom: [] }
            ]
        }

        function test_counters(data) {
            if (data.fault)
                page.updateFault("BOOST_SUPPLY_TEMP", true)
            page.updateCycleCounter(5)
            page.incrementCycleCounter(5)
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

        function test_faults_data() {
            return [
                { tag: "PT ERR ignores NOZZLE_TEMP", steps: [["PIEZO_TEMP", true], ["NOZZLE_TEMP", true], ["NOZZLE_TEMP", false]],
                  held: ["PT ERR"], shut: ["true PT ERR"], db15: true, resets: 0 },
                { tag: "NT ERR cleared while BT ERR", steps: [["BOOST_SUPPLY_TEMP", true], ["NOZZLE_TEMP", true], ["NOZZLE_TEMP", false]],
                  held: ["BT ERR"], shut: ["true BT ERR", "true NT ERR", "false NT ERR"], db15: true, resets: 0 },
                { tag: "NT ERR while BT ERR", steps: [["BOOST_SUPPLY_TEMP", true], ["NOZZLE_TEMP", true], ["BOOST_SUPPLY_TEMP", false]],
                  held: ["NT ERR"], shut: ["true BT ERR", "true NT ERR", "false BT ERR"], db15: true, resets: 1 },
                { tag: "ESTOP over BT ERR", steps: [["BOOST_SUPPLY_TEMP", true], ["ESTOP", true], ["BOOST_SUPPLY_TEMP", false]],
                  held: ["ESTOP"], shut: ["true BT ERR", "true ESTOP", "false BT ERR"], db15: true, resets: 1 },
                { tag: "all cleared", steps: [["AMP_TEMP", true], ["ESTOP", true], ["ESTOP", false], ["AMP_TEMP", false]],
                  held: [], shut: ["true AT ERR", "true ESTOP", "false ESTOP", "false AT ERR"], db15: false, resets: 1 }
            ]
        }

        function test_faults(data) {
            serviceModeState = true
            page.heatingSelected = true
            sample(20)
            verify(page.nozzleHeaterStatus)
            for (var i = 0; i < data.steps.length; i++)
                page.updateFault(data.steps[i][0], data.steps[i][1])
            compare(page.nozzleHeaterStatus, false)
            compare(page.heldFaults, data.held)
            compare(root.controllerFault, data.held.length > 0)
            compare(root.controllerFaultRequestor, data.held.length ? data.held[0] : "NONE")
            compare(item("faultUpdateID").visible, data.held.length > 0)
            compare(shutdowns.signalArguments.map(function (a) { return a[0] + " " + a[1] }), data.shut)
            compare(handleThread.last("thSetAnyErrorOnDB15")[0], data.db15)
            compare(serviceModeState, false)
            compare(handleThread.count("thClearShutdownRequestor"), data.resets)
        }

        function test_piezoBarHalfFullAt52_5() {
            sample(40, 52.5)
            fuzzyCompare(item("hidePowerBarID").x, item("piezoPanelID").width / 2, 0.01)
        }
    }
}
