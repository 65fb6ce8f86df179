import QtQuick 2.4
import com.zum.qml 1.0
import "SettingsRules.js" as Rules

// The administrator's system settings: owns the settings file, hands the
// stored trigger mode, run configuration and server address to the back end
// at start-up, keeps the valve's count in its EEPROM, exports the
// over-temperature log, installs updates from a USB stick and reboots.
Rectangle {
    id: settingsPage

    property string zumFilePath: "/media/data/"
    property string zumSettingsFilePath: "/media/data/JetValveSettings.dat"
    property string zumUsbFilePath: "/media/usb/JET_VALVE"
    property string driverFilePath: "/lib/modules/4.1.15/kernel/drivers/misc/zuvc.ko"
    property string programFilePath: "/usr/bin/zumvalvecontroller"
    property var jetValveSettings: Rules.defaults(BuildOptions.defaultServerIP)
    property real fontsizeqml: height > 0 ? height * 0.051 : 1
    property bool triggerModeCamera: true
    property string selectedIcon: ""
    property string messageText: " "
    property int rebootCount: 0
    // The valve's count is kept by the back end; the main window's copies
    // follow it.
    property QtObject valveCount: handleThread.valveCount
    // A log export or an update is under way on the stick: the hour glass
    // turns and neither can be started again until it has answered.
    property bool usbBusy: false

    signal cancelSettingsPage()
    signal resetCurrentProfileCounter()
    signal sendTriggerMode(bool triggerModeCamera)
    signal updateCyclicRunSettings(bool isRepeatSelected, int repeatDelay, bool isSeqSelected, int seqStart, int seqEnd)
    signal callIOTStartCommand(string mc, string ip, int pt)

    function readSettings() {
        var parsed = Rules.parseSettings(fileIo.read(zumSettingsFilePath), BuildOptions.defaultServerIP)
        jetValveSettings = parsed.settings
        if (parsed.firstStart) {
            saveSettings(true)
        } else if (parsed.problems.length > 0) {
            console.warn("settings file repaired (" + parsed.problems.join(", ") + "); stored values of the right type kept")
            saveSettings(false)
        }
        triggerModeCamera = jetValveSettings.trigOutForCamera
        sendTriggerMode(triggerModeCamera)
        refreshSubPages()
        sendRunConfig()
        startRemoteLink()
    }

    function saveSettings(hourGlass) {
        var written = fileIo.write(zumSettingsFilePath, JSON.stringify(jetValveSettings))
        if (written && hourGlass)
            triggerHourGlass(1000)
        return written
    }

    function refreshSubPages() {
        var s = jetValveSettings
        commConfigID.startUp(s.RemoteServerIP, s.RemoteServerPort)
        runSettingsID.startUp(s.repeatEnabled, s.repeatDelay, s.seqEnabled, s.seqStart, s.seqEnd)
    }

    function sendRunConfig() {
        var s = jetValveSettings
        updateCyclicRunSettings(s.repeatEnabled === true, Rules.toInt(s.repeatDelay), s.seqEnabled === true,
                                Rules.toInt(s.seqStart), Rules.toInt(s.seqEnd))
    }

    // The link always gets the stored address: one it cannot use takes it
    // offline (it never goes on with the previous server), and the message
    // line says why. Every part of the address is read as decimal.
    function startRemoteLink() {
        var ipAddress = Rules.normalisedIPv4(jetValveSettings.RemoteServerIP)
        var port = jetValveSettings.RemoteServerPort
        var problem = Rules.remoteTargetProblem(ipAddress, port)
        if (problem !== "")
            console.warn("remote link offline: " + problem + " (" + ipAddress + " port " + port + ")")
        messageText = problem === "" ? " " : "Offline: " + problem
        callIOTStartCommand(getMacAddress(), ipAddress, Number(port))
    }

    function setSettingsIconsOff() {
        selectedIcon = ""
        messageText = ""
    }

    function selectIcon(name) {
        setSettingsIconsOff()
        selectedIcon = name
    }

    function toggleTriggerMode() {
        triggerModeCamera = !triggerModeCamera
        jetValveSettings.trigOutForCamera = triggerModeCamera
        sendTriggerMode(triggerModeCamera)
        saveSettings(false)
    }

    function submitRunSettings() {
        var s = jetValveSettings
        s.repeatEnabled = runSettingsID.loc_RepeatSelected
        s.repeatDelay = runSettingsID.loc_RepeatDelay
        s.seqEnabled = runSettingsID.loc_SequenceSelected
        s.seqStart = runSettingsID.loc_seqStart
        s.seqEnd = runSettingsID.loc_seqEnd
        saveSettings(true)
        sendTriggerMode(s.trigOutForCamera)
        sendRunConfig()
        runSettingsID.visible = false
    }

    function submitCommConfig(remoteIP, remotePort) {
        jetValveSettings.RemoteServerIP = Rules.normalisedIPv4(String(remoteIP))
        jetValveSettings.RemoteServerPort = String(remotePort)
        saveSettings(true)
        commConfigID.visible = false
        readSettings()
    }

    function readEpromCycleCountOnValveReplace() {
        return valveCount.readValve()
    }

    function writeCycleCountToEPROM(addOnCount) {
        valveCount.addCycles(Number(addOnCount))
    }

    function showValveCount() {
        epromTotalCycles = valveCount.total
        epromFlags = valveCount.flags
        epromTotalCyclesCompareValue = valveCount.chipCount
    }

    // The stick is mounted and copied to by the file service's worker;
    // otLogExported brings the outcome.
    function exportOverTemperatureLog() {
        if (!usbBusy && fileIo.exportOTLogAsync()) {
            usbBusy = true
            messageText = " "
        }
    }

    function otLogExported(outcome) {
        usbBusy = false
        messageText = { nostick: "-", nolog: "--", failed: "Log Export Failed !" }[outcome] || "+"
    }

    // Each file is staged, checked and moved in by the file service's worker;
    // a failed install leaves the running program and driver as they were.
    function runSoftwareUpdate() {
        if (!usbBusy && fileIo.updateFromUsbAsync(zumUsbFilePath, driverFilePath, programFilePath)) {
            usbBusy = true
            messageText = " "
        }
    }

    function softwareUpdated(result) {
        usbBusy = false
        if (!result.mounted) {
            messageText = "USB Not Detected ..."
            return
        }
        var failure = ""
        if (result.driver === "failed")
            failure = "JetValve Driver Update Failed !"
        if (result.program === "installed")
            messageText = "System rebooting..."
        else if (result.program === "failed")
            failure = "Application Software Update Failed !"
        else
            messageText = "No Valid File Found"
        if (failure !== "")
            messageText = failure
        if (result.driver === "installed" || result.program === "installed")
            startRebootCountdown()
    }

    function startRebootCountdown() {
        rebootCount = 0
        rebootTimerID.restart()
    }

    // Cycles not yet on the valve are written and the heater is switched off
    // before the board goes down.
    function rebootNow() {
        valveCount.writePending()
        handleThread.setNozzleHeater(false)
        handleThread.exeSys("reboot")
    }

    function refreshAddresses() {
        refreshIPAddress()
        mac = getMacAddress()
    }

    color: "black"

    Component.onCompleted: {
        readSettings()
        readEpromCycleCountOnValveReplace()
    }

    Connections {
        target: fileIo

        function onOtLogExported(outcome) { otLogExported(outcome) }
        function onUpdateFromUsbDone(result) { softwareUpdated(result) }
    }

    Timer {
        id: rebootTimerID

        objectName: "rebootTimerID"
        interval: 100
        repeat: true
        onTriggered: {
            rebootCount = rebootCount + 1
            if (rebootCount >= 50) {
                stop()
                rebootCount = 0
                rebootNow()
            }
        }
    }

    Connections {
        target: valveCount

        function onChanged() { showValveCount() }
        function onCountWriteFailed() { messageText = "Valve Count Write Failed !" }
    }

    Item {
        id: headerID

        width: parent.width
        height: parent.height * 0.1

        Text {
            objectName: "ipTextID"
            x: parent.width * 0.03
            anchors.verticalCenter: parent.verticalCenter
            text: ip
            color: "white"
            font.family: "Gotham"
            font.bold: true
            font.pixelSize: fontsizeqml * 0.8
        }

        Text {
            objectName: "macTextID"
            anchors.right: parent.right
            anchors.rightMargin: parent.width * 0.03
            anchors.verticalCenter: parent.verticalCenter
            text: mac
            color: "white"
            font.family: "Gotham"
            font.bold: true
            font.pixelSize: fontsizeqml * 0.8
        }

        MouseArea {
            anchors.fill: parent
            onClicked: refreshAddresses()
        }
    }

    Repeater {
        model: [
            { name: "cycleIconID", image: "Cycle", selectable: "CYCLE", tip: "Reset Counter" },
            { name: "runSettingsIconID", image: "RunSettings", selectable: "", tip: "RUN SETTINGS" },
            { name: "compensationIconID", image: "ServiceModeWhite", selectable: "", tip: "Compensation Factor" },
            { name: "triggerModeIconID", image: "", selectable: "", tip: "Trigger Mode" },
            { name: "remoteServerIconID", image: "Remote_Server", selectable: "", tip: "REMOTE SERVER" },
            { name: "usbIconID", image: "USB", selectable: "USB", tip: "USB Functions" },
            { name: "rebootIconID", image: "Reboot", selectable: "", tip: "Reboot" }
        ]

        TouchButton {
            objectName: modelData.name
            x: settingsPage.width * (0.02 + index * 0.14)
            y: settingsPage.height * 0.13
            width: settingsPage.width * 0.12
            height: width
            tooltip: modelData.tip
            iconSource: {
                if (modelData.name === "triggerModeIconID")
                    return triggerModeCamera ? "qrc:///images/trig_for_camera.png" : "qrc:///images/trig_for_dispense.png"
                var selected = modelData.selectable !== "" && selectedIcon === modelData.selectable
                return "qrc:///images/" + modelData.image + (selected ? "Selected" : "") + ".png"
            }
            onClicked: {
                switch (modelData.name) {
                case "cycleIconID": selectIcon("CYCLE"); break
                case "usbIconID": selectIcon("USB"); break
                case "runSettingsIconID": setSettingsIconsOff(); runSettingsID.visible = true; break
                case "remoteServerIconID": setSettingsIconsOff(); commConfigID.visible = true; break
                case "triggerModeIconID": toggleTriggerMode(); break
                case "rebootIconID": startRebootCountdown(); break
                default: break
                }
            }
        }
    }

    Rectangle {
        id: cycleCountPanelID

        objectName: "cycleCountPanelID"
        x: parent.width * 0.05
        y: parent.height * 0.38
        width: parent.width * 0.9
        height: parent.height * 0.3
        visible: selectedIcon === "CYCLE"
        color: "#f0b323"

        Text {
            id: cycleCountTextID

            objectName: "cycleCountTextID"
            x: parent.width * 0.05
            anchors.verticalCenter: parent.verticalCenter
            text: "Cycle Count: " + epromTotalCycles
            color: valveCount.writeFailed ? "#800000" : "black"
            font.family: "Gotham"
            font.bold: true
            font.pixelSize: fontsizeqml
        }

        TouchButton {
            objectName: "cycleExportButtonID"
            x: cycleCountTextID.x
            y: cycleCountTextID.y
            width: cycleCountTextID.width * 0.35
            height: cycleCountTextID.height
            text: "Cycle"
            font.family: "Gotham"
            font.bold: true
            font.pixelSize: fontsizeqml
            enabled: !usbBusy
            onClicked: exportOverTemperatureLog()
        }

        TouchButton {
            objectName: "cycleCancelIconID"
            anchors.right: parent.right
            anchors.verticalCenter: parent.verticalCenter
            width: parent.height * 0.7
            height: width
            tooltip: "Cancel"
            iconSource: "qrc:///images/Cancel.png"
            onClicked: selectedIcon = ""
        }
    }

    Rectangle {
        objectName: "updatePanelID"
        x: parent.width * 0.05
        y: parent.height * 0.38
        width: parent.width * 0.9
        height: parent.height * 0.3
        visible: selectedIcon === "USB"
        color: "#f0b323"

        Text {
            x: parent.width * 0.05
            anchors.verticalCenter: parent.verticalCenter
            text: "Update Software"
            color: "black"
            font.family: "Gotham"
            font.bold: true
            font.pixelSize: fontsizeqml
        }

        Row {
            anchors.right: parent.right
            anchors.verticalCenter: parent.verticalCenter
            spacing: parent.width * 0.02

            TouchButton {
                objectName: "updateSubmitIconID"
                width: parent.parent.height * 0.7
                height: width
                tooltip: "Submit"
                iconSource: "qrc:///images/Submit.png"
                enabled: !usbBusy
                onClicked: runSoftwareUpdate()
            }

            TouchButton {
                objectName: "updateCancelIconID"
                width: parent.parent.height * 0.7
                height: width
                tooltip: "Cancel"
                iconSource: "qrc:///images/Cancel.png"
                onClicked: {
                    selectedIcon = ""
                    messageText = " "
                }
            }
        }
    }

    Text {
        objectName: "messageLineID"
        x: parent.width * 0.05
        y: parent.height * 0.72
        width: parent.width * 0.9
        text: messageText
        color: "white"
        elide: Text.ElideRight
        font.family: "Gotham"
        font.bold: true
        font.pixelSize: fontsizeqml
    }

    Image {
        objectName: "usbBusyID"
        anchors.right: parent.right
        anchors.rightMargin: parent.width * 0.05
        y: parent.height * 0.7
        width: parent.height * 0.12
        height: width
        visible: usbBusy
        source: "qrc:///images/WaitIcon.png"
    }

    Rectangle {
        objectName: "rebootProgressID"
        x: parent.width * 0.05
        y: parent.height * 0.86
        width: parent.width * 0.9
        height: parent.height * 0.06
        visible: rebootTimerID.running
        color: "white"

        Rectangle {
            width: parent.width * rebootCount / 50
            height: parent.height
            color: "red"
        }
    }

    CommConfig {
        id: commConfigID

        objectName: "commConfigID"
        anchors.fill: parent
        visible: false
        onSaveCommConfig: submitCommConfig(remoteIP, remotePort)
        onCloseCommPage: {
            refreshSubPages()
            commConfigID.visible = false
        }
    }

    RunSettings {
        id: runSettingsID

        objectName: "runSettingsID"
        anchors.fill: parent
        visible: false
        onSaveRunConfig: submitRunSettings()
        onCloseRunSettingsPage: {
            refreshSubPages()
            runSettingsID.visible = false
        }
    }

    WifiSettings {
        id: wifiSettingsID

        objectName: "wifiSettingsID"
        anchors.fill: parent
        visible: false
        onCloseWifiSettingsPage: wifiSettingsID.visible = false
    }
}
