import QtQuick 2.4

// The administrator's system settings page: shows and edits what the
// window's SystemSettings holds (the settings file, the valve's count),
// exports the over-temperature log, installs updates from a USB stick and
// reboots. Made when first opened.
Rectangle {
    id: settingsPage

    property string zumFilePath: "/media/data/"
    property string zumUsbFilePath: "/media/usb/JET_VALVE"
    property string driverFilePath: "/lib/modules/4.1.15/kernel/drivers/misc/zuvc.ko"
    property string programFilePath: "/usr/bin/zumvalvecontroller"
    property real fontsizeqml: height > 0 ? height * 0.051 : 1
    property string selectedIcon: ""
    property string messageText: " "
    property int rebootCount: 0
    property QtObject valveCount: handleThread.valveCount
    // A log export or an update is under way on the stick: the hour glass
    // turns and neither can be started again until it has answered.
    property bool usbBusy: false
    // An update under way, then the countdown to the reboot: the window is
    // held meanwhile (the stop still acts), so nothing is started that the
    // reboot would cut short.
    property bool updating: false
    readonly property bool holdsWindow: updating || rebootTimerID.running

    signal cancelSettingsPage()
    signal resetCurrentProfileCounter()

    function readSettings() {
        systemSettingsID.readSettings()
    }

    function saveSettings(hourGlass) {
        return systemSettingsID.saveSettings(hourGlass)
    }

    function refreshSubPages() {
        var s = systemSettingsID.jetValveSettings
        commConfigID.startUp(s.RemoteServerIP, s.RemoteServerPort)
        runSettingsID.startUp(s.repeatEnabled, s.repeatDelay, s.seqEnabled, s.seqStart, s.seqEnd)
    }

    // The message line says why the remote link is offline.
    function showRemoteLinkProblem(problem) {
        messageText = problem === "" ? " " : "Offline: " + problem
    }

    function setSettingsIconsOff() {
        selectedIcon = ""
        messageText = ""
    }

    // A logout leaves nothing half typed: the next login starts from what
    // is stored.
    function discardDrafts() {
        commConfigID.visible = false
        runSettingsID.visible = false
        setSettingsIconsOff()
        refreshSubPages()
    }

    function selectIcon(name) {
        setSettingsIconsOff()
        selectedIcon = name
    }

    function submitRunSettings() {
        var run = runSettingsID
        systemSettingsID.submitRunSettings(run.loc_RepeatSelected, run.loc_RepeatDelay, run.loc_SequenceSelected,
                                           run.loc_seqStart, run.loc_seqEnd)
        run.visible = false
    }

    function submitCommConfig(remoteIP, remotePort) {
        systemSettingsID.storeRemoteServer(remoteIP, remotePort)
        commConfigID.visible = false
        readSettings()
    }

    function readEpromCycleCountOnValveReplace() {
        return systemSettingsID.readEpromCycleCountOnValveReplace()
    }

    function writeCycleCountToEPROM(addOnCount) {
        systemSettingsID.writeCycleCountToEPROM(addOnCount)
    }

    // Nothing on this page opens the Wi-Fi page: it is made when asked for.
    function wifiSettingsPage() {
        if (!wifiSettingsLoaderID.item)
            wifiSettingsLoaderID.setSource("WifiSettings.qml", { objectName: "wifiSettingsID", visible: false })
        return wifiSettingsLoaderID.item
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
            updating = true
            messageText = " "
        }
    }

    function softwareUpdated(result) {
        usbBusy = false
        updating = false
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

    // The valve is stopped, cycles not yet on it are written and the heater
    // is switched off before the board goes down.
    function rebootNow() {
        handleThread.stopCalibration() // the stop command, and the control logic back to Idle
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
        refreshSubPages()
        showRemoteLinkProblem(systemSettingsID.remoteLinkProblem)
    }

    Connections {
        target: systemSettingsID

        function onSettingsRead() { refreshSubPages() }
        function onRemoteLinkStarted(problem) { showRemoteLinkProblem(problem) }
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
                    return systemSettingsID.triggerModeCamera ? "qrc:///images/trig_for_camera.png"
                                                              : "qrc:///images/trig_for_dispense.png"
                var selected = modelData.selectable !== "" && selectedIcon === modelData.selectable
                return "qrc:///images/" + modelData.image + (selected ? "Selected" : "") + ".png"
            }
            onClicked: {
                switch (modelData.name) {
                case "cycleIconID": selectIcon("CYCLE"); break
                case "usbIconID": selectIcon("USB"); break
                case "runSettingsIconID": setSettingsIconsOff(); runSettingsID.visible = true; break
                case "remoteServerIconID": setSettingsIconsOff(); commConfigID.visible = true; break
                case "triggerModeIconID": systemSettingsID.toggleTriggerMode(); break
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
        // The count shown is the fitted valve's, also after a swap no fault marked.
        onVisibleChanged: if (visible) valveCount.followFittedValve()

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

        // The button covers the text's first word with its own, drawn on the
        // panel's colour, so that the word shows once.
        TextMetrics {
            id: cycleWordID

            font: cycleCountTextID.font
            text: "Cycle"
        }

        TouchButton {
            objectName: "cycleExportButtonID"
            x: cycleCountTextID.x
            y: cycleCountTextID.y
            width: Math.ceil(cycleWordID.advanceWidth) + 2
            height: cycleCountTextID.height
            color: cycleCountPanelID.color
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

    Loader {
        id: wifiSettingsLoaderID

        anchors.fill: parent
    }

    Connections {
        target: wifiSettingsLoaderID.item

        function onCloseWifiSettingsPage() { wifiSettingsLoaderID.item.visible = false }
    }
}
