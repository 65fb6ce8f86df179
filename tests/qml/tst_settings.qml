import QtQuick 2.4
import QtTest 1.2
import com.zum.qml 1.0
import "../../qml"
import "harness"

// The settings page started against the real file service in the simulated
// root, the back end replaced by the recording fake.
Item {
    id: harness

    property string ip: "0.0.0.0"
    property string mac: "0.0.0.0"
    property int epromTotalCycles: 0
    property int epromFlags: 0
    property int epromTotalCyclesCompareValue: 0
    property bool runInProgressState: false
    property int hourGlasses: 0
    property var page: null

    function getMacAddress() { return "02:00:00:00:00:01" }
    function refreshIPAddress() { ip = "127.0.0.1" }
    function triggerHourGlass(waitTime) { hourGlasses++ }

    width: 408
    height: 272

    FileIo { id: fileIo }
    FakeThreadHandler { id: handleThread }

    Component {
        id: pageComponent

        Settings {
            anchors.fill: parent
            onSendTriggerMode: handleThread.sendTriggerModeFromGUI(triggerModeCamera)
            onUpdateCyclicRunSettings: handleThread.setRunConfig(isRepeatSelected, repeatDelay, isSeqSelected, seqStart, seqEnd)
            onCallIOTStartCommand: handleThread.iotStart(mc, ip, pt)
        }
    }

    TestCase {
        name: "Settings"
        when: windowShown

        readonly property string settingsFile: "/media/data/JetValveSettings.dat"
        readonly property string defaults: '{"trigOutForCamera":true,"repeatEnabled":false,"repeatDelay":100,'
                                           + '"RemoteServerIP":"127.0.0.1","RemoteServerPort":"4900"}'

        // A fresh page started on the given settings file text (null: no file)
        // and EEPROM answer.
        function start(stored, eprom) {
            if (page !== null)
                page.destroy()
            fileIo.exeSys("rm -f /media/data/JetValveSettings.dat /sim/calls.log")
            if (stored !== null)
                fileIo.write(settingsFile, stored)
            handleThread.clear()
            handleThread.epromText = eprom === undefined ? "12345#1#35158" : eprom
            handleThread.epromWriteResult = true
            hourGlasses = 0
            page = pageComponent.createObject(harness)
            return page
        }

        // Rows: stored text (null: no file), the file afterwards, the run
        // configuration sent, the server port used (null: offline), the
        // sequence the run settings page shows, wait indicators.
        function test_startUp_data() {
            var older = '{"repeatEnabled":true,"repeatDelay":"250","RemoteServerIP":"127.0.0.1","RemoteServerPort":"4901",'
                        + '"seqEnabled":true,"seqStart":"5","seqEnd":"8"}'
            var badPort = defaults.replace('"4900"', '"70000"')
            var fixed = '{"trigOutForCamera":true,"repeatEnabled":true,"repeatDelay":100,"RemoteServerIP":"127.0.0.1","RemoteServerPort":"4900"}'
            return [
                { tag: "first start", stored: null, file: defaults, run: [false, 100, false, 0, 0], port: 4900, shown: "1-1", waits: 1 },
                { tag: "older file gains trigOutForCamera", stored: older, file: older.replace(/}$/, ',"trigOutForCamera":true}'),
                  run: [true, 250, true, 5, 8], port: 4901, shown: "5-8", waits: 0 },
                { tag: "not JSON", stored: '{"trigOutForCamera":fal', file: defaults, run: [false, 100, false, 0, 0], port: 4900,
                  shown: "1-1", waits: 0 },
                { tag: "wrong types", stored: fixed.replace("true", '"no"').replace("100", '"x"').replace('"4900"', "4900"),
                  file: fixed, run: [true, 100, false, 0, 0], port: 4900, shown: "1-1", waits: 0 },
                { tag: "port out of range", stored: badPort, file: badPort, run: [false, 100, false, 0, 0], port: null, shown: "1-1", waits: 0 },
                { tag: "keys naming members of every object",
                  stored: defaults.replace("}", ',"hasOwnProperty":1,"__proto__":{"seqEnabled":true,"seqStart":"$(x)"}}'),
                  file: defaults, run: [false, 100, false, 0, 0], port: 4900, shown: "1-1", waits: 0 }
            ]
        }

        function test_startUp(data) {
            start(data.stored)
            compare(fileIo.read(settingsFile), data.file)
            compare(handleThread.last("sendTriggerModeFromGUI"), [true])
            compare(handleThread.last("setRunConfig"), data.run)
            compare(handleThread.last("iotStart"), data.port === null ? undefined : ["02:00:00:00:00:01", "127.0.0.1", data.port])
            compare(handleThread.count("readEPROM"), 1)
            compare(hourGlasses, data.waits)
            var run = findChild(page, "runSettingsID")
            compare(run.loc_seqStart + "-" + run.loc_seqEnd, data.shown)
        }

        // Each row: EEPROM answer, write result, increments, then the writes
        // made, the compare value and the total afterwards.
        function test_valveCount_data() {
            return [
                { tag: "32344 writes nothing", eprom: "12345#1#35158", ok: true, adds: [19000, 999], writes: [], last: 12345, total: 32344 },
                { tag: "32345 writes", eprom: "12345#1#35158", ok: true, adds: [19000, 1000], writes: [["32345#1"]], last: 32345, total: 32345 },
                { tag: "failed write", eprom: "12345#1#35158", ok: false, adds: [20000], writes: [["32345#1"]], last: 12345, total: 32345 },
                { tag: "held within the record", eprom: "2147480000#3#1", ok: true, adds: [30000], writes: [["2147483647#3"]],
                  last: 2147483647, total: 2147483647 }
            ]
        }

        function test_valveCount(data) {
            start(defaults, data.eprom)
            handleThread.epromWriteResult = data.ok
            for (var i = 0; i < data.adds.length; i++)
                page.writeCycleCountToEPROM(data.adds[i])
            compare(handleThread.named("writeEPROM").map(function (c) { return c.args }), data.writes)
            compare([epromTotalCyclesCompareValue, epromTotalCycles], [data.last, data.total])
            compare(page.messageText, data.ok ? " " : "Valve Count Write Failed !")
        }

        // Nothing is written before the fitted valve's count was read; cycles
        // dispensed meanwhile are added once the retried read succeeds.
        function test_valveCountReadRetried() {
            start(defaults, "")
            page.epromRetryInterval = 20
            page.writeCycleCountToEPROM(25000)
            compare(handleThread.count("writeEPROM"), 0)
            handleThread.epromText = "100#1#1"
            tryCompare(page, "valveCountKnown", true)
            page.writeCycleCountToEPROM(1)
            compare(handleThread.last("writeEPROM"), ["25101#1"])
        }

        // "05" is stored as typed and sent as 5; Cancel brings back what is stored.
        function test_runSettingsSubmitAndCancel() {
            start(defaults)
            var run = findChild(page, "runSettingsID")
            run.startUp(true, "0", true, "3", "4")
            run.setText("5")
            verify(run.updateRunConfig())
            compare(handleThread.last("setRunConfig"), [true, 5, true, 3, 4])
            compare(JSON.parse(fileIo.read(settingsFile)).repeatDelay, "05")
            run.currentSelection = "SEQE"
            run.setText("9")
            run.visible = true
            mouseClick(findChild(run, "cancelIconID"))
            compare([run.loc_RepeatDelay, run.loc_seqEnd, run.visible], ["05", "4", false])
        }

        // An empty program on the stick is no update: nothing installed, no reboot.
        function test_emptyProgramIsRefused() {
            start(defaults)
            fileIo.exeSys("rm -rf /media/usb/JET_VALVE && mkdir -p /media/usb/JET_VALVE /lib/modules/4.1.15/kernel/drivers/misc")
            fileIo.write("/sim/mountable", "/dev/sda1\n") && fileIo.write("/dev/sda1", "stick")
            fileIo.write("/usr/bin/zumvalvecontroller", "old program") && fileIo.write(page.driverFilePath, "old driver")
            fileIo.exeSys("printf '' > /media/usb/JET_VALVE/zumvalvecontroller")
            page.runSoftwareUpdate()
            tryCompare(page, "messageText", "Application Software Update Failed !")
            compare([fileIo.read("/usr/bin/zumvalvecontroller"), fileIo.read(page.driverFilePath)], ["old program", "old driver"])
            verify(!findChild(page, "rebootTimerID").running)
        }

        // The pending total reaches the valve and the heater goes off before the reboot.
        function test_rebootWritesPendingCountAndStopsHeater() {
            start(defaults)
            page.writeCycleCountToEPROM(500)
            findChild(page, "rebootTimerID").interval = 5
            mouseClick(findChild(page, "rebootIconID"))
            tryVerify(function () { return handleThread.count("exeSys") === 1 }, 3000)
            var order = handleThread.calls.map(function (c) { return c.name + ":" + c.args.join(",") })
            compare(order.slice(order.length - 3), ["writeEPROM:12845#1", "setNozzleHeater:false", "exeSys:reboot"])
        }

        function test_logExport_data() {
            return [
                { tag: "exported", stick: true, blocked: false, message: "+" },
                { tag: "copy fails", stick: true, blocked: true, message: "Log Export Failed !" },
                { tag: "no stick", stick: false, blocked: false, message: "-" }
            ]
        }

        function test_logExport(data) {
            start(defaults)
            fileIo.exeSys("rm -rf /media/usb/ot.log /dev/sda1 /sim/mountable")
            if (data.stick)
                fileIo.write("/sim/mountable", "/dev/sda1\n") && fileIo.write("/dev/sda1", "stick")
            if (data.blocked)
                fileIo.exeSys("mkdir -p /media/usb/ot.log")
            mouseClick(findChild(page, "cycleIconID"))
            mouseClick(findChild(page, "cycleExportButtonID"))
            tryCompare(page, "usbBusy", false)
            compare(page.messageText, data.message)
        }
    }
}
