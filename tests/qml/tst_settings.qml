import QtQuick 2.4
import QtTest 1.2
import com.zum.qml 1.0
import "../../qml"
import "harness"

// The window's system settings, then the settings page with its run
// settings and remote server pages made over them, against the real file
// service in the simulated root, the back end replaced by the recording fake.
Item {
    id: harness

    property string ip: "0.0.0.0"
    property string mac: "0.0.0.0"
    property int epromTotalCycles: 0
    property int epromFlags: 0
    property int epromTotalCyclesCompareValue: 0
    property bool runInProgressState: false
    property int hourGlasses: 0
    property var systemSettingsID: null
    property var page: null

    function getMacAddress() { return "02:00:00:00:00:01" }
    function refreshIPAddress() { ip = "127.0.0.1" }
    function triggerHourGlass(waitTime) { hourGlasses++ }
    function qSlice(txt, start, end) { return txt.slice(start, end) }

    width: 408
    height: 272

    FileIo { id: fileIo }
    FakeThreadHandler { id: handleThread }

    Component {
        id: settingsComponent

        SystemSettings {
            onSendTriggerMode: handleThread.sendTriggerModeFromGUI(triggerModeCamera)
            onUpdateCyclicRunSettings: handleThread.setRunConfig(isRepeatSelected, repeatDelay, isSeqSelected, seqStart, seqEnd)
            onCallIOTStartCommand: handleThread.iotStart(mc, ip, pt)
        }
    }

    Component {
        id: pageComponent

        Settings {
            anchors.fill: parent
        }
    }

    TestCase {
        name: "Settings"
        when: windowShown

        readonly property string settingsFile: "/media/data/JetValveSettings.dat"
        // The first-start address is the test runner's built-in one.
        readonly property string defaults: '{"trigOutForCamera":true,"repeatEnabled":false,"repeatDelay":100,'
                                           + '"RemoteServerIP":"127.0.0.2","RemoteServerPort":"4900"}'

        // Fresh settings started on the given settings file text (null: no
        // file), and a page made over them unless `withoutPage`.
        function start(stored, withoutPage) {
            if (page !== null)
                page.destroy()
            if (systemSettingsID !== null)
                systemSettingsID.destroy()
            page = null
            fileIo.exeSys("rm -f /media/data/JetValveSettings.dat /sim/calls.log")
            if (stored !== null)
                fileIo.write(settingsFile, stored)
            handleThread.clear()
            hourGlasses = 0
            systemSettingsID = settingsComponent.createObject(harness)
            if (!withoutPage)
                page = pageComponent.createObject(harness)
            return page
        }

        // Rows: stored text (null: no file), the file afterwards, the trigger
        // mode and run configuration sent, the server the link is given, the
        // sequence the run settings page shows, wait indicators.
        function test_startUp_data() {
            var older = '{"repeatEnabled":true,"repeatDelay":"250","RemoteServerIP":"127.0.0.1","RemoteServerPort":"4901",'
                        + '"seqEnabled":true,"seqStart":"5","seqEnd":"8"}'
            var badPort = defaults.replace('"4900"', '"70000"')
            var fixed = '{"trigOutForCamera":true,"repeatEnabled":true,"repeatDelay":100,"RemoteServerIP":"127.0.0.1","RemoteServerPort":"4900"}'
            var kept = '{"trigOutForCamera":false,"repeatEnabled":false,"repeatDelay":0,"RemoteServerIP":"127.0.0.9","RemoteServerPort":"5000"}'
            var sequence = defaults.replace("}", ',"seqEnabled":true,"seqStart":"%1","seqEnd":%2}')
            var builtIn = ["127.0.0.2", 4900]
            return [
                { tag: "first start", stored: null, file: defaults, trig: true, run: [false, 100, false, 0, 0], link: builtIn,
                  shown: "1-1", waits: 1 },
                { tag: "older file gains trigOutForCamera", stored: older, file: older.replace(/}$/, ',"trigOutForCamera":true}'),
                  trig: true, run: [true, 250, true, 5, 8], link: ["127.0.0.1", 4901], shown: "5-8", waits: 0 },
                { tag: "not JSON", stored: '{"trigOutForCamera":fal', file: defaults, trig: true, run: [false, 100, false, 0, 0],
                  link: builtIn, shown: "1-1", waits: 0 },
                // A repair keeps false and 0.
                { tag: "byte-order mark, port as a number", stored: "\u00ef\u00bb\u00bf" + kept.replace('"5000"', "5000"),
                  file: kept, trig: false, run: [false, 0, false, 0, 0], link: ["127.0.0.9", 5000], shown: "1-1", waits: 0 },
                { tag: "wrong types", stored: fixed.replace("true", '"no"').replace("100", '"x"').replace('"4900"', "4900.5"),
                  file: fixed, trig: true, run: [true, 100, false, 0, 0], link: ["127.0.0.1", 4900], shown: "1-1", waits: 0 },
                { tag: "sequence out of range or not text", stored: sequence.replace("%1", "99").replace("%2", "8"),
                  file: sequence.replace("%1", "1").replace("%2", '"1"'), trig: true, run: [false, 100, true, 1, 1],
                  link: builtIn, shown: "1-1", waits: 0 },
                { tag: "sequence starting after its end", stored: sequence.replace("%1", "30").replace("%2", '"10"'),
                  file: sequence.replace("\"seqEnabled\":true", "\"seqEnabled\":false").replace("%1", "30").replace("%2", '"10"'), trig: true,
                  run: [false, 100, false, 30, 10], link: builtIn, shown: "30-10", waits: 0 },
                { tag: "port out of range", stored: badPort, file: badPort, trig: true, run: [false, 100, false, 0, 0],
                  link: ["127.0.0.2", 70000], shown: "1-1", waits: 0 },
                { tag: "keys naming members of every object",
                  stored: defaults.replace("}", ',"hasOwnProperty":1,"__proto__":{"seqEnabled":true,"seqStart":"$(x)"}}'),
                  file: defaults, trig: true, run: [false, 100, false, 0, 0], link: builtIn, shown: "1-1", waits: 0 }
            ]
        }

        // The page is made afterwards, as when the operator first opens it.
        function test_startUp(data) {
            start(data.stored, true)
            compare(fileIo.read(settingsFile), data.file)
            compare(handleThread.last("sendTriggerModeFromGUI"), [data.trig])
            compare(handleThread.last("setRunConfig"), data.run)
            compare(handleThread.last("iotStart"), ["02:00:00:00:00:01"].concat(data.link))
            compare(handleThread.count("readValve"), 1)
            compare(hourGlasses, data.waits)
            page = pageComponent.createObject(harness)
            var run = findChild(page, "runSettingsID")
            compare(run.loc_seqStart + "-" + run.loc_seqEnd, data.shown)
            compare(page.messageText, data.link[1] === 70000 ? "Offline: no usable server port" : " ")
            compare(handleThread.calls.length, 4)
        }

        // "05" is stored as typed and sent as 5, and so is a sequence that is
        // off, kept so at the next start; Cancel brings back what is stored.
        function test_runSettingsSubmitAndCancel() {
            start(defaults)
            var run = findChild(page, "runSettingsID")
            run.startUp(true, "0", false, "30", "")
            run.setText("5")
            verify(run.updateRunConfig())
            compare(handleThread.last("setRunConfig"), [true, 5, false, 30, 0])
            var stored = fileIo.read(settingsFile)
            compare(stored.slice(stored.indexOf('"repeatDelay"')), '"repeatDelay":"05","RemoteServerIP":"127.0.0.2",'
                    + '"RemoteServerPort":"4900","seqEnabled":false,"seqStart":"30","seqEnd":""}')
            start(stored)
            compare(fileIo.read(settingsFile), stored)
            run = findChild(page, "runSettingsID")
            run.currentSelection = "SEQE"
            run.setText("9")
            run.visible = true
            mouseClick(findChild(run, "cancelIconID"))
            compare([run.loc_RepeatDelay, run.loc_seqEnd, run.visible], ["05", "", false])
        }

        // Whatever was typed is stored (the address with decimal parts) and
        // always reaches the link: an unusable one takes it offline, and the
        // message line says why. Cancel keeps what is stored.
        function test_remoteServerSubmit_data() {
            return [
                { tag: "octet 300", field: "ip1FieldID", keys: ["<", "<", "<", "3", "0", "0"], button: "commSubmitButtonID",
                  ip: "300.0.0.1", port: "4900", link: 4900, message: "Offline: no usable server address" },
                { tag: "unspecified address", field: "ip1FieldID", keys: ["<", "<", "<", "0"], button: "commSubmitButtonID",
                  ip: "0.0.0.1", port: "4900", link: 4900, message: "Offline: no usable server address" },
                { tag: "empty port", field: "portFieldID", keys: ["<", "<", "<", "<", "<"], button: "commSubmitButtonID",
                  ip: "127.0.0.1", port: "", link: 0, message: "Offline: no usable server port" },
                { tag: "leading zeros", field: "ip4FieldID", keys: ["<", "0", "1", "0"], button: "commSubmitButtonID",
                  ip: "127.0.0.10", port: "4900", link: 4900, message: " " },
                { tag: "cancel", field: "ip2FieldID", keys: ["9"], button: "commCancelButtonID",
                  ip: "127.0.0.1", port: "4900", link: null, message: " " },
                { tag: "logout drops the draft", field: "ip2FieldID", keys: ["9"], button: "",
                  ip: "127.0.0.1", port: "4900", link: null, message: "" },
                { tag: "three digits a part, five the port", field: "ip1FieldID", keys: ["9"], button: "commSubmitButtonID",
                  then: "portFieldID", thenKeys: ["1", "2"], ip: "127.0.0.1", port: "49001", link: 49001, message: " " }
            ]
        }

        function test_remoteServerSubmit(data) {
            start(defaults.replace("127.0.0.2", "127.0.0.1"))
            handleThread.clear()
            var comm = findChild(page, "commConfigID")
            comm.visible = true
            var fields = [[data.field, data.keys], [data.then, data.thenKeys || []]]
            for (var f = 0; f < fields.length; f++) {
                if (fields[f][0])
                    mouseClick(findChild(comm, fields[f][0]))
                for (var i = 0; i < fields[f][1].length; i++)
                    mouseClick(findChild(comm, fields[f][1][i] === "<" ? "keyErase" : "key" + fields[f][1][i]))
            }
            if (data.button === "")
                page.discardDrafts()
            else
                mouseClick(findChild(comm, data.button))
            var stored = JSON.parse(fileIo.read(settingsFile))
            compare([comm.visible, stored.RemoteServerIP, stored.RemoteServerPort, page.messageText],
                    [false, data.ip, data.port, data.message])
            compare(handleThread.last("iotStart"), data.link === null ? undefined : ["02:00:00:00:00:01", data.ip, data.link])
            compare([comm.ip1, comm.ip2, comm.ip3, comm.ip4].join("."), data.ip)
        }

        // The pending total reaches the valve and the heater goes off before the reboot.
        function test_rebootWritesPendingCountAndStopsHeater() {
            start(defaults)
            findChild(page, "rebootTimerID").interval = 5
            mouseClick(findChild(page, "rebootIconID"))
            tryVerify(function () { return handleThread.count("exeSys") === 1 }, 3000)
            var order = handleThread.calls.map(function (c) { return c.name + ":" + c.args.join(",") })
            compare(order.slice(order.length - 3), ["writePending:", "setNozzleHeater:false", "exeSys:reboot"])
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
