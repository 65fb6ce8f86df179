import QtQuick 2.4
import QtQuick.Controls 1.4
import com.zum.qml 1.0
import "Replies.js" as Replies

// The console's window: creates the back end, brings it up, hosts the
// navigation bar and the pages, and turns the back end's reports into page
// updates and modal overlays. Pages reach it through its ids and functions.
ApplicationWindow {
    id: mainWindow

    property string version: "08.00.46 "
    property bool adminControl: false
    property bool startHeatingAfterCal: false
    property int fontsizeqml: height > 0 ? height * 0.051 : 1
    property string mac: "0.0.0.0"
    property string ip: "0.0.0.0"
    property bool isOnline: false
    property string zumFilePath: "/media/data/"
    property string vandrelSystemType: "JET_VALVE"
    property bool homePageIndicator: true
    property int progressPercent: 0
    property bool runInProgressState: false
    property bool serviceModeState: false
    property string iotMessage: " "
    // The back end holds every fault and stop; the screen shows its set.
    property bool controllerFault: handleThread.heldFaults.length > 0
    property string controllerFaultRequestor: controllerFault ? handleThread.heldFaults[0] : "NONE"
    property int epromFlags: 0
    property int epromTotalCycles: 0
    property int epromTotalCyclesCompareValue: 0
    property bool valveConnected: true
    property int currentCompensationFactor: 250
    property string driverVersion: " "
    property string dspicVersion: " "
    property string estopActivator: " "

    // The navigation button shown selected.
    property string selectedButton: "currentProgramButtonID"
    // The DB9 stop input is asserted (it may be held while the on-screen stop
    // is the one shown; releasing that one then hands the stop over).
    property bool db9StopAsserted: false
    // A count record cut in two by the serial read, waiting for its end.
    property string countRecordCarry: ""
    // The number typed on the profile keypad.
    property int profileKeypadNumber: 0
    // The red dot on the remote button: a profile was updated remotely.
    property bool iotNotificationShown: false
    // Address lookups asked for and not answered yet, and how many of those
    // were asked before the link went down (their answers are dropped).
    property int pendingAddressAnswers: 0
    property int staleAddressAnswers: 0
    // The pages the window does not show at start are made when first needed
    // (settingsPage(), loginPage(), calibrationPage()), so neither their making
    // nor the loading of their files comes before the first frame; null until then.
    readonly property Item settingsPageID: settingsLoaderID.item
    readonly property Item loginPageID: loginLoaderID.item
    readonly property Item calibarationID: calibrationLoaderID.item
    // Profiles the server pushed while the board was busy with the shown one
    // (a run, a purge, a calibration) or the operator was editing it, oldest
    // first, as they were stored. Shown then, they would write values to a
    // dispensing board and file the run's count under another profile; a
    // run's end would also write the old values over the pushed file.
    property var pendingPushes: []
    readonly property bool pushMustWait: runInProgressState || jetValve.purging || jetValve.editorOpen
                                         || (calibarationID ? calibarationID.visible : false)

    function qSlice(txt, start, end) {
        var out = ""
        for (var i = start; i < end && i < txt.length; i++)
            out += txt[i]
        return out
    }

    function eStopController(state, requestor) {
        handleThread.gotCallForShutDown(requestor, state)
    }

    function initializeController() {
        var machine = fileIo.cpuArch()
        handleThread.startGUIThread(machine)
        refreshIPAddress()
        mac = getMacAddress()
        vandrelSystemType = "JET_VALVE"
        handleThread.setSystemType("JET_VALVE")
        handleThread.gotProfileLoadRequest(1)
        // The version is read once the tools have run; the screen does not wait for it.
        fileIo.exeSysAsync("dmesg | grep zuvc_init > /media/data/drv_ver.txt")
        fileIo.exeSysAsync("chmod 777 /media/data/drv_ver.txt")
        fileIo.readAsync("/media/data/drv_ver.txt")
        jetValve.visible = true
    }

    // The rest of the start-up sequence, once the operating screen with
    // profile 1 is on the screen (called by the program).
    function firstFrameShown() {
        jetValve.startOneSecondTimer()
        handleThread.sendP26()
    }

    function driverVersionRead(line) {
        var found = line !== "" ? Replies.driverVersionOf(line) : ""
        if (found !== "")
            driverVersion = found
    }

    function iotStartCommand(mc, ipAdd, pt) {
        mac = mc
        handleThread.iotStart(mc, ipAdd, pt)
    }

    // Makes a page hidden, the first time it is asked for.
    function makePage(loader, file, name) {
        if (!loader.item)
            loader.setSource(file, { objectName: name, visible: false })
        return loader.item
    }

    function settingsPage() {
        return makePage(settingsLoaderID, "Settings.qml", "settingsPageID")
    }

    function loginPage() {
        return makePage(loginLoaderID, "AdminPage.qml", "loginPageID")
    }

    function calibrationPage() {
        return makePage(calibrationLoaderID, "Calibration.qml", "calibarationID")
    }

    // The login button: the login page, or a logout while a password is needed.
    function invokeLogin(lState) {
        var page = loginPage()
        if (page.getPwDisableStatus()) {
            page.screenReset()
            page.visible = true
        } else if (lState) {
            adminControl = false
            if (settingsPageID)
                settingsPageID.discardDrafts()
            setPlayGround("currentProgramButtonID")
        } else {
            page.screenReset()
            page.visible = true
        }
    }

    function setPlayGround(comp) {
        if (settingsPageID)
            settingsPageID.visible = false
        if (loginPageID)
            loginPageID.visible = false
        iotPageID.visible = false
        selectedButton = comp
        if (comp === "currentProgramButtonID")
            homePageIndicator = true
        else if (comp === "programButtonID")
            homePageIndicator = false
    }

    function navigationClicked(button) {
        if (button === "currentProgramButtonID") {
            setPlayGround("currentProgramButtonID")
            systemSettingsID.saveSettings(false)
            if (settingsPageID)
                settingsPageID.setSettingsIconsOff()
        } else if (button === "programButtonID") {
            if (adminControl)
                activateCalibration()
        } else if (button === "settingsButtonID") {
            if (adminControl) {
                setPlayGround("settingsButtonID")
                settingsPage().visible = true
                systemSettingsID.saveSettings(false)
            }
        } else if (button === "loginButtonID") {
            invokeLogin(adminControl)
        }
    }

    function navigationTooltip(button) {
        if (button === "settingsButtonID")
            return adminControl ? "Settings" : "Login Required"
        if (button === "loginButtonID")
            return adminControl ? "Logout" : "Login"
        return { currentProgramButtonID: "Home", programButtonID: "Calibration", iotButtonID: "Remote" }[button]
    }

    function stripLineFeed(text) {
        return text.length > 0 && text[text.length - 1] === "\n" ? text.slice(0, -1) : text
    }

    // The address pipeline runs a tool: `ip` follows when it has answered.
    function refreshIPAddress() {
        if (networkObj.getIpFromIfConfigAsync())
            pendingAddressAnswers++
    }

    function addressesAnswered(addresses) {
        pendingAddressAnswers--
        if (staleAddressAnswers > 0)
            staleAddressAnswers--
        else
            ip = stripLineFeed(addresses)
    }

    function linkDown() {
        staleAddressAnswers = pendingAddressAnswers
        ip = ""
    }

    function getMacAddress() {
        return stripLineFeed(networkObj.get_mac_address())
    }

    function activateCalibration() {
        jetValve.heatingControl(false)
        var page = calibrationPage()
        page.visible = true
        page.startPreCalib()
    }

    function startCalibration() {
        startStopInputThread(false)
        handleThread.sendStartCalibrationSignal()
    }

    function startStopInputThread(sta) {
        if (sta) {
            restartInputThread.restart()
        } else {
            restartInputThread.stop()
            handleThread.changeInputThreadState(false)
        }
    }

    function triggerHourGlass(waitTime) {
        waitTimer.interval = waitTime
        waitBannerID.visible = true
        waitTimer.restart()
    }

    function cancelHourGlass() {
        waitTimer.stop()
        waitBannerID.visible = false
    }

    function setResetBanner(st) {
        resetBannerID.visible = st
    }

    function invokeProfileKeyPad() {
        profileKeypadNumber = 0
        numberPadToSetProfileID.visible = true
    }

    function profileKeyPressed(key) {
        profileKeypadNumber = Replies.keypadNumber(profileKeypadNumber, key)
    }

    function submitProfileKeyPad() {
        var number = Replies.submittedProfile(profileKeypadNumber)
        numberPadToSetProfileID.visible = false
        jetValve.updateCurrentProfile(number)
    }

    // Queued behind any Wi-Fi work still running, in the order asked.
    function turnWifiOnOff(state) {
        wifiClass.setWifiStateAsync(state)
    }

    function disconnectFromSSID(ssid) {
        return wifiClass.disconnectFromSSIDAsync(ssid)
    }

    function showPopUp(msg1, msg2) {
        popUpID.setMessage(msg1, msg2)
        popUpID.visible = true
    }

    function handleDspData(dspData) {
        var reply = Replies.readReply(countRecordCarry, dspData)
        countRecordCarry = reply.carry
        if (reply.version !== null)
            dspicVersion = reply.version
        if (reply.found === 0)
            return
        if (isNaN(reply.sum))
            console.log("No update, was NaN")
        else
            jetValve.incrementCycleCounter(reply.sum)
    }

    // The DB9 input, reported every 100 ms; the back end holds its stop. The
    // banner is the on-screen stop's while that one holds; releasing it while
    // the input stays asserted hands the banner over to the input.
    function externalStop(sig) {
        db9StopAsserted = sig
        if (sig && estopActivator === " ") {
            estopActivator = "DB9"
            jetValve.updateFault("ESTOP", true)
            setResetBanner(true)
            fileIo.exeSysAsync("echo DB9 estopactivator issuer >/dev/kmsg")
        } else if (!sig && estopActivator === "DB9") {
            estopActivator = " "
            jetValve.updateFault("ESTOP", false)
            setResetBanner(false)
            fileIo.exeSysAsync("echo DB9 estop dasserted >/dev/kmsg")
        }
    }

    function resetBannerPressed() {
        if (estopActivator !== "UI")
            return
        eStopController(false, "ESTOP")
        if (db9StopAsserted) {
            estopActivator = "DB9"
            fileIo.exeSysAsync("echo DB9 estopactivator issuer >/dev/kmsg")
            return
        }
        estopActivator = " "
        jetValve.updateFault("ESTOP", false)
        setResetBanner(false)
    }

    function profilePushed(pro) {
        var kept = pendingPushes.filter(function (push) { return push.number !== pro })
        pendingPushes = kept.concat([{ number: pro, profile: jetValve.loadProfile(pro) }])
        applyPendingPushes()
    }

    function applyPendingPushes() {
        if (pushMustWait)
            return
        while (pendingPushes.length > 0)
            applyPendingPush(pendingPushes[0].number)
    }

    // Shows and stores the held push of profile n; false when none is held.
    function applyPendingPush(n) {
        var held = pendingPushes.filter(function (push) { return push.number === n })
        if (held.length === 0)
            return false
        pendingPushes = pendingPushes.filter(function (push) { return push.number !== n })
        if (!jetValve.vaidateAndSetGuiParams(held[0].profile, n))
            return false
        iotMessage = "  Profile Update Notification ! \n  - Profile [" + n + "] Updated Remotely"
        iotNotificationShown = true
        return true
    }

    function runStateChanged(runState) {
        if (runState === runInProgressState)
            return
        runInProgressState = runState
        if (!runState && !jetValve.saveProgram())
            jetValve.giveThumbsUp(false)
    }

    function sendProfileValues(prof) {
        var duty = currentCompensationFactor < 250 ? Number(prof.dutyCycle)
                                                   : (250 / currentCompensationFactor) * Number(prof.dutyCycle)
        handleThread.setProfileParam(Number(prof.programValue), Number(prof.dispenseCycles), Number(prof.dwell),
                                     duty, Number(prof.riseTime), Number(prof.fallTime), Number(prof.delay),
                                     Number(prof.cycleCount), Number(prof.mode), Number(prof.tuning))
    }

    objectName: "mainWindow"
    title: "ZUM Jet Valve"
    width: 480
    height: 272
    visible: true
    color: "#333300"

    // After what ends the wait has run its course (a run's end saves its count first).
    onPushMustWaitChanged: if (!pushMustWait) Qt.callLater(applyPendingPushes)
    onServiceModeStateChanged: {
        handleThread.setServiceMode(serviceModeState)
        jetValve.setRunButtonEnable(!serviceModeState)
    }
    onValveConnectedChanged: {
        if (valveConnected)
            systemSettingsID.readEpromCycleCountOnValveReplace()
    }

    Component.onCompleted: initializeController()

    FileIo {
        id: fileIo

        objectName: "fileIo"

        onReadDone: {
            if (name === "/media/data/drv_ver.txt")
                driverVersionRead(contents)
        }
    }

    NetworkSetup {
        id: networkObj

        objectName: "networkObj"

        onIpFromIfConfig: addressesAnswered(addresses)
    }

    WifiClass {
        id: wifiClass

        objectName: "wifiClass"
    }

    SystemSettings {
        id: systemSettingsID

        objectName: "systemSettingsID"

        onSendTriggerMode: handleThread.sendTriggerModeFromGUI(triggerModeCamera)
        onUpdateCyclicRunSettings: {
            handleThread.setRunConfig(isRepeatSelected, repeatDelay, isSeqSelected, seqStart, seqEnd)
            jetValve.updateRunButton(isRepeatSelected)
        }
        onCallIOTStartCommand: iotStartCommand(mc, ip, pt)
        onPasswordSwitchedOff: adminControl = true
    }

    WifiConnection {
        id: wifiConnectionID

        objectName: "wifiConnectionID"
    }

    ThreadHandler {
        id: handleThread

        objectName: "handleThread"

        onCounterUpdated: jetValve.updateCycleCounter(Number(repCount).toFixed(0))
        onRequestLoadProfile: {
            // A sequence step: the profile that just ran keeps its count, and
            // one pushed in the meantime is shown as pushed.
            if (runInProgressState)
                jetValve.saveProgram()
            if (applyPendingPush(pro))
                return
            var profile = jetValve.loadProfile(pro)
            jetValve.setGuiParams(profile, pro)
        }
        onRequestProfileUpdateFromServer: profilePushed(pro)
        onMonitorGui: {
            progressPercent = Math.floor(percent)
            jetValve.isRunning(progressPercent > 0)
        }
        onGotInputValues: jetValve.updateInputValues(pT, pV, pC, pcbT, pcbV, aT, aV, nZ)
        onGotConnectionStatus: isOnline = onlineState
        onSetRunInProgress: runStateChanged(runState)
        onGiveDspData: handleDspData(dspData)
        onWaitForInit: triggerHourGlass(iniT)
        onFaultUpdate: jetValve.updateFault(inp, state)
        // The calibration reports reach the calibration page, which exists
        // once a calibration was started from it.
        onGotMaxValue: {
            if (calibarationID)
                calibarationID.updateMaxValue(Number(adcMaxVal))
        }
        onGotTightADCValue: {
            if (calibarationID)
                calibarationID.updateADCTightValue(adcLooseVal, adcTightVal)
        }
        onCalibrationDone: {
            if (calibarationID)
                calibarationID.informCalibrationDone()
            startStopInputThread(true)
        }
        onSerialCommsErrToQML: showPopUp("COMMS ERR", "Press red 'X' to reset")
        onDonotStopSignal: {
            if (sig && calibarationID)
                calibarationID.calibrationProgress()
        }
        onStopDispenseActivated: externalStop(sig)
        onNetworkAvailable: st ? refreshIPAddress() : linkDown()
    }

    Timer {
        id: waitTimer

        objectName: "waitTimer"
        interval: 200
        onTriggered: waitBannerID.visible = false
    }

    Timer {
        id: restartInputThread

        objectName: "restartInputThread"
        interval: 2000
        onTriggered: handleThread.changeInputThreadState(true)
    }

    Item {
        id: mainBoxID

        objectName: "mainBoxID"
        anchors.fill: parent
        // Modal while anything covers it; the stop buttons sit outside.
        enabled: !(popUpID.visible || waitBannerID.visible || jetValve.confirmationShown
                   || numberPadToSetProfileID.visible || resetBannerID.visible
                   || (settingsPageID ? settingsPageID.holdsWindow : false))

        Column {
            id: navigationBarID

            objectName: "navigationBarID"
            width: parent.width * 0.15
            height: parent.height

            Repeater {
                model: [
                    { button: "currentProgramButtonID", cell: "currentProgramButtonCID", image: "Home",
                      selectedImage: "HomeSelected" },
                    { button: "programButtonID", cell: "mainPageCalibButtonID", image: "AdcCalib",
                      selectedImage: "AdcCalibSelected" },
                    { button: "settingsButtonID", cell: "settingsButtonCID", image: "Settings",
                      selectedImage: "SettingsSelected" },
                    { button: "iotButtonID", cell: "iotButtonCID", image: "iotMain",
                      selectedImage: "iotMainSelected" },
                    { button: "loginButtonID", cell: "loginButtonCID", image: "Login", selectedImage: "Logout" }
                ]

                Rectangle {
                    property bool selected: modelData.button === "loginButtonID" ? adminControl
                                                                                 : selectedButton === modelData.button

                    objectName: modelData.cell
                    width: navigationBarID.width
                    height: navigationBarID.height * 0.2
                    color: selected ? "black" : "#f0b323"
                    border.color: "black"
                    border.width: 1
                    enabled: modelData.button === "currentProgramButtonID" || modelData.button === "iotButtonID"
                             || !runInProgressState

                    TouchButton {
                        objectName: modelData.button
                        anchors.centerIn: parent
                        width: Math.min(parent.width, parent.height) * 0.9
                        height: width
                        enabled: modelData.button !== "programButtonID" || !controllerFault
                        iconSource: "qrc:///images/" + (parent.selected ? modelData.selectedImage : modelData.image)
                                    + ".png"
                        tooltip: navigationTooltip(modelData.button)
                        dimWhenDisabled: true
                        onClicked: navigationClicked(modelData.button)
                    }

                    Rectangle {
                        objectName: modelData.button === "iotButtonID" ? "iotNotificationID" : ""
                        visible: modelData.button === "iotButtonID" && iotNotificationShown
                        width: parent.height * 0.25
                        height: width
                        radius: width / 2
                        color: "red"
                        anchors.right: parent.right
                        anchors.top: parent.top
                        anchors.margins: 2
                    }
                }
            }
        }

        JetValve {
            id: jetValve

            objectName: "jetValve"
            x: parent.width * 0.15
            width: parent.width * 0.85
            height: parent.height
            visible: false

            onRunPressed: {
                if (Number(currentProfile.mode) === 0)
                    handleThread.runPressedReq(true)
            }
            onOpenModalPopup: showPopUp(msg1, msg2)
            onPurgePressed: handleThread.setPurge(true)
            onPurgeReleased: handleThread.setPurge(false)
            onSetProfileValues: sendProfileValues(prof)
            onSetNozzleheater: handleThread.setNozzleHeater(state)
            onUpdateValveShutDown: eStopController(state, requestor)
            onUpdateEPROMCount: systemSettingsID.writeCycleCountToEPROM(incrementNewCount)
            onSetHeaterLED: handleThread.setHeaterLED(state)
        }

        Loader {
            id: settingsLoaderID

            x: parent.width * 0.15
            width: parent.width * 0.85
            height: parent.height
        }

        Connections {
            target: settingsPageID

            function onCancelSettingsPage() {
                setPlayGround("currentProgramButtonID")
                settingsPageID.visible = false
            }
            function onResetCurrentProfileCounter() {
                jetValve.updateCycleCounter(0)
                handleThread.updateCounterFromGUI(0)
                jetValve.resetCycleCountFile()
            }
        }

        Loader {
            id: loginLoaderID

            x: parent.width * 0.15
            width: parent.width * 0.85
            height: parent.height
        }

        Connections {
            target: loginPageID

            function onLoginResult(r) { adminControl = r }
            function onCloseAdminPage() {
                setPlayGround("currentProgramButtonID")
                loginPageID.screenReset()
                loginPageID.visible = false
            }
        }

        Rectangle {
            id: iotPageID

            objectName: "iotPageID"
            x: parent.width * 0.15
            width: parent.width * 0.85
            height: parent.height
            visible: false
            color: "#333300"

            onVisibleChanged: {
                if (!visible) {
                    iotMessage = " "
                    iotNotificationShown = false
                }
            }

            Text {
                objectName: "iotMessageID"
                anchors.centerIn: parent
                color: "white"
                font.family: "Gotham"
                font.bold: true
                font.pixelSize: fontsizeqml
                text: iotMessage
            }
        }
    }

    Loader {
        id: calibrationLoaderID

        anchors.fill: parent
        z: 100
    }

    Connections {
        target: calibarationID

        function onCalibrationCompleted() {
            jetValve.heatingControl(startHeatingAfterCal)
            calibarationID.visible = false
            startStopInputThread(true)
        }
    }

    PopUp {
        id: popUpID

        objectName: "popUpID"
        x: parent.width * 0.2
        y: parent.height * 0.2
        width: parent.width * 0.6
        height: parent.height * 0.6
        z: 1000
        visible: false

        onCloseButtonPressed: {
            popUpID.setMessage("", "")
            popUpID.visible = false
            jetValve.clearNozzleFault()
        }
    }

    Rectangle {
        id: waitBannerID

        objectName: "waitBannerID"
        anchors.fill: parent
        z: 8000
        visible: false
        color: Qt.rgba(0, 0, 0, 0.3)

        MouseArea {
            anchors.fill: parent
        }

        Image {
            anchors.centerIn: parent
            width: parent.height * 0.3
            height: width
            source: "qrc:///images/WaitIcon.png"
        }
    }

    StopButtons {
        objectName: "stopButtonsID"
        x: jetValve.x + jetValve.width * 0.815
        width: jetValve.width * 0.18
        height: jetValve.height * 0.86
        // Above the pop-up, the keypad and the wait banner; below the stop banner.
        z: 8500
        visible: jetValve.visible && !iotPageID.visible && !(settingsPageID && settingsPageID.visible)
                 && !(loginPageID && loginPageID.visible) && !(calibarationID && calibarationID.visible)
        // The corner is the editor's and the keypad's while they are open, unless a run must be stopped.
        runShown: jetValve.dotMode
                  && (runInProgressState || !jetValve.editorOpen && !numberPadToSetProfileID.visible)
        runEnabled: homePageIndicator && jetValve.runEnabled && (mainBoxID.enabled || runInProgressState)
        running: jetValve.runningState
        repeatMode: jetValve.repeatMode
        held: controllerFault

        onRunClicked: jetValve.runPressed()
        onEStopClicked: jetValve.pressEStop()
    }

    Rectangle {
        id: numberPadToSetProfileID

        objectName: "numberPadToSetProfileID"
        x: parent.width * 0.5
        width: parent.width * 0.5
        height: parent.height
        z: 2000
        visible: false
        color: Qt.rgba(0, 0, 0, 0.9)

        MouseArea {
            anchors.fill: parent
        }

        Text {
            id: profileKeypadValueID

            objectName: "profileKeypadValueID"
            x: parent.width * 0.1
            y: parent.height * 0.03
            width: parent.width * 0.5
            height: parent.height * 0.14
            color: "white"
            font.family: "Gotham"
            font.bold: true
            font.pixelSize: fontsizeqml * 1.4
            verticalAlignment: Text.AlignVCenter
            text: profileKeypadNumber
        }

        TouchButton {
            objectName: "profileKeypadSubmitID"
            x: parent.width * 0.62
            y: parent.height * 0.02
            width: parent.height * 0.16
            height: width
            iconSource: "qrc:///images/Submit.png"
            tooltip: "Submit"
            dimWhenDisabled: true
            onClicked: submitProfileKeyPad()
        }

        TouchButton {
            objectName: "profileKeypadCancelID"
            x: parent.width * 0.8
            y: parent.height * 0.02
            width: parent.height * 0.16
            height: width
            iconSource: "qrc:///images/Cancel.png"
            tooltip: "Cancel"
            dimWhenDisabled: true
            onClicked: numberPadToSetProfileID.visible = false
        }

        NumericalKeypad {
            objectName: "profileKeypadID"
            y: parent.height * 0.2
            // Clear of the emergency stop in the bottom corner.
            width: parent.width * 0.68
            height: parent.height * 0.8

            onKeyPressed: profileKeyPressed(currentNum)
        }
    }

    Rectangle {
        id: resetBannerID

        objectName: "resetBannerID"
        anchors.fill: parent
        z: 9000
        visible: false
        color: Qt.rgba(0, 0, 0, 0.8)

        MouseArea {
            anchors.fill: parent
        }

        TouchButton {
            objectName: "resetBannerButtonID"
            anchors.centerIn: parent
            width: parent.height * 0.45
            height: width
            iconSource: "qrc:///images/EStop.png"
            tooltip: "Reset"
            dimWhenDisabled: true
            onClicked: resetBannerPressed()
        }

        Text {
            objectName: "resetBannerTextID"
            anchors.horizontalCenter: parent.horizontalCenter
            y: parent.height * 0.82
            color: "white"
            font.family: "Gotham"
            font.bold: true
            font.pixelSize: fontsizeqml * 1.2
            text: "Click The Button To Reset"
        }
    }
}
