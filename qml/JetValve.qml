import QtQuick 2.4
import "Profiles.js" as Profiles

// The operating screen: the dispense profile in force with its files, runs,
// purge and service mode, counters, the nozzle heater with its supervision,
// and the faults that hold the valve.
Rectangle {
    id: jetValvePage

    property int dspTxnDelayTime: 200
    property int fontsizeqml: height > 0 ? height * 0.06 : 1
    property var currentProfile
    property bool purgeFlag: false
    property var orginalProfileBackupBeforePurge
    property bool initialProfileLoad: true
    // Bumped whenever currentProfile changes, so the tiles redraw then only.
    property int profileRevision: 0
    property bool runEnabled: true
    property bool runningState: false
    property bool repeatMode: false
    // Read by the window's stop buttons, which sit over this page's right column.
    property bool dotMode: true
    readonly property bool editorOpen: scrollNumbersID.visible
    // From the purge button's press until the operator's profile went back
    // to the board after its release.
    readonly property bool purging: purgeFlag || purgeRunTimerID.running || purgeRunMonitorTimerID.running
    readonly property bool confirmationShown: thumbsUpID.visible
    // The editor changes the profile for an administrator only: it closes on logout.
    property bool editingAllowed: adminControl

    // Heater and supervision.
    property bool heatingSelected: false
    property bool nozzleHeaterStatus: false
    property bool defeatOvertempSetpointError: false
    property int nozzleTempOvertempCounter: 0
    property real nozzleTempOverSetpointCounter: 0
    property real nozzleTemp: 0
    property real nozzleTempSetpoint: 0
    property real savedNozzleTemp: 0
    property real nozzleTempRiseRate: 0
    property real savedNozzleTempRiseRate: 0
    property int pcbTemp: 0
    property int piezoTemp: 0

    signal openModalPopup(string msg1, string msg2)
    signal purgePressed()
    signal purgeReleased()
    signal runPressed()
    signal setProfileValues(var prof)
    signal setNozzleheater(bool state)
    signal setHeaterLED(bool state)
    signal updateValveShutDown(bool state, string requestor)
    signal updateEPROMCount(real incrementNewCount)

    // ---- profiles and screen ----

    function startOneSecondTimer() {
        jvOneSecondTimerID.start()
    }

    function getCurrentProfileNumber() {
        return Number(currentProfile.programValue)
    }

    function updateCurrentProfile(n) {
        triggerHourGlass(dspTxnDelayTime)
        setGuiParams(loadProfile(n), n)
        waveCanvasID.requestPaint()
    }

    function stepProfile(delta) {
        initialProfileLoad = true
        updateCurrentProfile(Profiles.step(currentProfile ? currentProfile.programValue : 1, delta))
    }

    // The stored object of one file, or null when it is empty, missing or
    // not a profile (logged, so a damaged file can be found).
    function readProfileFile(name) {
        var text = fileIo.read(name)
        if (text === "")
            return null
        var obj = Profiles.parse(text)
        if (!obj)
            console.warn("profile file is not valid JSON, trying the next copy:", name)
        return obj
    }

    function loadProfile(n) {
        var name = Profiles.mainFile(zumFilePath, n)
        var obj = readProfileFile(name) || readProfileFile(Profiles.backupFile(zumFilePath, n))
        if (obj)
            return obj
        fileIo.recoverFile(name)
        return readProfileFile(name) || Profiles.defaultProfile(n)
    }

    // Always the operator's profile: a purge sends its own parameters but
    // never becomes what is stored.
    function saveProgram() {
        if (!currentProfile)
            return false
        var name = Profiles.mainFile(zumFilePath, currentProfile.programValue)
        var text = JSON.stringify(Profiles.toFileObject(currentProfile))
        if (!fileIo.write(name, text))
            return false
        fileIo.writeBKProfile(name)
        return fileIo.read(name + "_BKUP") === text
    }

    function setGuiParams(profile, pv) {
        if (!Profiles.inRange(Number(pv), Profiles.RANGES.programValue)) {
            console.warn("no profile number", pv)
            return
        }
        currentProfile = Profiles.interpret(profile, Number(pv))
        updateGUIParam(currentProfile)
        modeControl(currentProfile.mode)
    }

    // A pushed profile (the remote link stores only one within the limits)
    // is kept under the number the server addressed, in safe form.
    function vaidateAndSetGuiParams(profile, n) {
        var p = Profiles.validatePushed(profile, n)
        if (!p) {
            console.warn("ignored profile pushed for number", n)
            return false
        }
        setGuiParams(p, p.programValue)
        saveProgram()
        return true
    }

    function updateGUIParam(cp) {
        programSelect.text = Profiles.label(cp.programValue)
        nTempValueID.text = String(cp.nozTemp)
        if (!initialProfileLoad)
            heatingSelected = cp.nozTempState === true
        initialProfileLoad = false
        cp.nozTempState = heatingSelected
        lineDotButtonID.selected = Number(cp.mode) !== 0
        setProfileValues(cp)
        var f = Math.round(Profiles.frequency(cp))
        waveFreqLabelID.text = f + " Hz"
        freqID2.text = " " + f + "  Hz"
        profileRevision++
    }

    function modeControl(tmode) {
        dotMode = Number(tmode) === 0
    }

    function giveThumbsUp(result) {
        thumbsUpID.visible = true
        thumbsUpID.callThumbsUp(result)
    }

    function resetCycleCountFile() {
        currentProfile.cycleCount = 0
        return saveProgram()
    }

    function isRunning(st) { runningState = st }
    function updateRunButton(repeat) { repeatMode = repeat }
    function setRunButtonEnable(state) { runEnabled = state }
    function isPurgeRun() { return purgeFlag }
    function clearPurgeFlag() { purgeFlag = false }

    function openEditor(ident) {
        if (!adminControl || runInProgressState)
            return
        scrollNumbersID.setCurrentNumber(ident, Math.round(currentProfile[Profiles.EDITORS[ident][0]]), 0)
        scrollNumbersID.visible = true
    }

    function setNumber(ident, n) {
        var editor = Profiles.EDITORS[ident]
        var v = Math.round(Number(n))
        if (!editor || !isFinite(v))
            return
        v = Math.min(editor[2], Math.max(editor[1], v))
        if (ident === 7 && v < currentProfile.nozTemp)
            defeatOvertempSetpointError = true
        currentProfile[editor[0]] = v
        waveCanvasID.requestPaint()
        updateGUIParam(currentProfile)
    }

    function toggleLineDot() {
        if (!adminControl)
            return
        if (Number(currentProfile.mode) === 0) {
            currentProfile.mode = 1
            currentProfile.dispenseCycles = 2
        } else {
            var n = currentProfile.programValue
            currentProfile.dispenseCycles = Profiles.interpret(loadProfile(n), n).dispenseCycles
            currentProfile.mode = 0
        }
        updateGUIParam(currentProfile)
        triggerHourGlass(dspTxnDelayTime)
        modeControl(currentProfile.mode)
    }

    function refreshAddress() {
        refreshIPAddress()
        mac = getMacAddress()
    }

    // ---- run, purge, service mode, stop ----

    // The back end runs the purge's pulse count itself: the profile the
    // board is given stays the one shown.
    function purgePress() {
        purgeFlag = true
        orginalProfileBackupBeforePurge = Profiles.copy(currentProfile)
        purgeRunMonitorTimerID.currentProfileModeBackup = currentProfile.mode
        purgeRunTimerID.restart()
    }

    function purgeRelease() {
        purgeReleased()
        purgeFlag = false
    }

    // The operator's profile was never touched by the purge: send it again.
    function restorePurgeProfile() {
        currentProfile.mode = purgeRunMonitorTimerID.currentProfileModeBackup
        console.log("Restoring Purge Profile")
        updateGUIParam(currentProfile)
        triggerHourGlass(dspTxnDelayTime)
    }

    function purgeDecision() {
        if (purgeButtonID.pressed) {
            purgePressed()
            purgeRunMonitorTimerID.start()
        } else {
            restorePurgeProfile()
        }
    }

    function purgeMonitorTick() {
        if (purgeButtonID.pressed)
            return
        purgeRunMonitorTimerID.stop()
        restorePurgeProfile()
    }

    function toggleServiceMode() {
        serviceModeState = !serviceModeState
        valveButtonID.guarded = true
        waitTimer.restart()
    }

    function pressEStop() {
        if (estopActivator !== " ")
            return
        estopActivator = "UI"
        updateValveShutDown(true, "ESTOP")
        updateFault("ESTOP", true)
        setResetBanner(true)
    }

    // ---- counters ----

    // The profile's own count; the valve count is fed by the board's
    // count reports alone, so a dot run is counted there once.
    function updateCycleCounter(c) {
        console.log("updateCycleCounter: ", c)
        if (controllerFault || purgeFlag || !currentProfile)
            return
        currentProfile.cycleCount = Number(c)
    }

    // Cycles the board dispensed count whatever holds the valve now: after
    // a stop it reports those it dispensed before.
    function incrementCycleCounter(c) {
        console.log("incrementCycleCounter: ", c)
        if (Number(c) > 0)
            updateEPROMCount(Number(c))
    }

    // ---- nozzle heater ----

    function sensorInvalid() {
        return nzTempValueID.text === "--" || nzTempValueID.text === "NA"
    }

    function updateInputValues(pT, pV, pC, pcbT, pcbV, aT, aV, nZ) {
        pcbTemp = pcbT
        piezoTemp = pT
        var w = piezoPanelID.width
        var x = (pT === -9999 || pT > 9999 || !isFinite(pT)) ? 0.89 * w : w * (pT - 15) / 75
        x = Math.max(0, Math.min(w, x))
        // Sensor noise below half a pixel does not redraw the bar.
        if (Math.abs(x - hidePowerBarID.x) >= 0.5 || x === 0 || x === w)
            hidePowerBarID.x = x

        if (nZ <= 0) {
            nzTempValueID.text = "NA"
            updateNozzleTempState(false)
            setHeaterLED(false)
            return
        }
        if (nZ >= 9000 || !isFinite(nZ)) {
            nzTempValueID.text = "--"
            return
        }
        nozzleTemp = nZ
        var demand = false
        var atTemperature = false
        if (heatingSelected) {
            nozzleTempSetpoint = Number(nTempValueID.text)
            // Decided afresh on every sample: a setpoint that is no number
            // ("60C") gives no demand instead of leaving the last one on.
            atTemperature = Math.abs(nozzleTemp - nozzleTempSetpoint) <= 2
            demand = nozzleTemp < nozzleTempSetpoint - 2
        }
        setHeaterLED(atTemperature)
        updateNozzleTempState(demand)
        nzTempValueID.text = Math.round(nozzleTemp) + "\u00baC"
    }

    function updateNozzleTempState(st) {
        if (st === nozzleHeaterStatus)
            return
        setNozzleheater(st)
        nozzleHeaterStatus = st
        if (st)
            defeatOvertempSetpointError = false
    }

    function heaterButtonClicked() {
        if (sensorInvalid()) {
            heatingSelected = false
            currentProfile.nozTempState = false
            console.log(" can't start heater, feedback temp invalid")
            startHeatingAfterCal = false
            return
        }
        // Under a fault or stop the choice is kept; the back end holds the heater off until the release.
        heatingSelected = !heatingSelected
        if (heatingSelected)
            defeatOvertempSetpointError = true
        currentProfile.nozTempState = heatingSelected
        startHeatingAfterCal = heatingSelected
    }

    function heatingControl(p) {
        if (!controllerFault) {
            heatingSelected = p
            currentProfile.nozTempState = p
        }
        updateGUIParam(currentProfile)
    }

    function logOT(type, setpoint, temperature) {
        handleThread.thLogOTError(type, heatingSelected, nozzleHeaterStatus,
                                  Number(setpoint) | 0, Number(temperature) | 0)
    }

    function supervise() {
        if (heatingSelected && sensorInvalid()) {
            logOT(3, nozzleTempSetpoint, nozzleTemp)
            heatingSelected = false
            updateNozzleTempState(false)
            setHeaterLED(false)
            raiseNozzleFault("NT ERR")
        }
        if (nozzleTemp >= 104.0) {
            nozzleTempOvertempCounter++
            if (nozzleTempOvertempCounter > 1) {
                logOT(2, nozzleTempSetpoint, nozzleTemp)
                heatingSelected = false
                raiseNozzleFault("ERROR 105")
                console.log("nozzle temperature: ", nozzleTemp, " >= 104 degC, something's wrong...")
            }
        } else {
            nozzleTempOvertempCounter = 0
        }
        var limit = nozzleTempSetpoint + 12.0
        if (heatingSelected) {
            console.log("nzT: " + nozzleTemp.toFixed(2) + " Ht: " + nozzleHeaterStatus
                        + "accel: " + (nozzleTempRiseRate - savedNozzleTempRiseRate).toFixed(2))
        }
        if (heatingSelected && nozzleTemp > limit && !defeatOvertempSetpointError) {
            nozzleTempOverSetpointCounter++
            if (nozzleTempOverSetpointCounter > 9) {
                logOT(1, nozzleTempSetpoint, nozzleTemp)
                heatingSelected = false
                raiseNozzleFault("ERROR 200")
                console.log("nozzle temperature: ", nozzleTemp, " over (setpoint + 12.0): ", limit)
            }
        } else {
            nozzleTempOverSetpointCounter = 0
        }
        savedNozzleTempRiseRate = nozzleTempRiseRate
        nozzleTempRiseRate = nozzleTemp - savedNozzleTemp
        savedNozzleTemp = nozzleTemp
    }

    // ---- faults and stops ----
    // The back end holds every fault and stop (handleThread.heldFaults). The
    // screen asks it to hold and release its own, the on-screen stop and the
    // nozzle fault, and does its part when any comes or goes.

    function faultHeld(name) {
        return handleThread.heldFaults.indexOf(name) >= 0
    }

    // A new fault or stop ends heating and the open valve.
    function updateFault(txt, err) {
        var name = Profiles.faultName(txt)
        if (!err) {
            console.log("Error Cleared, controllerFaultRequestor: " + controllerFaultRequestor + " Clearing Txt: " + name)
            if (!faultHeld("PT ERR"))
                valveConnected = true
            return
        }
        console.log("Error SET, controllerFaultRequestor: " + controllerFaultRequestor + " Setting Txt: " + name)
        if (txt === "NOZZLE_TEMP") {
            logOT(3, nozzleTempSetpoint, nozzleTemp)
            openModalPopup("NT ERR", "Press red 'X' to reset")
        } else if (name === "PT ERR") {
            handleThread.thLogOTError(4, heatingSelected, nozzleHeaterStatus, 0, piezoTemp)
            valveConnected = false
        }
        heatingSelected = false
        if (currentProfile)
            currentProfile.nozTempState = false
        startHeatingAfterCal = false
        updateNozzleTempState(false)
        serviceModeState = false
    }

    function raiseNozzleFault(popupText) {
        if (faultHeld("NT ERR"))
            return
        updateValveShutDown(true, "NT ERR")
        updateFault("NT ERR", true)
        openModalPopup(popupText, "Press red 'X' to reset")
    }

    // Closing a pop-up is how the operator clears the nozzle fault.
    function clearNozzleFault() {
        if (!faultHeld("NT ERR"))
            return
        updateValveShutDown(false, "NT ERR")
        updateFault("NT ERR", false)
    }

    color: "#333300"
    onEditingAllowedChanged: {
        if (!editingAllowed)
            scrollNumbersID.visible = false
    }

    // ---- header ----
    Rectangle {
        id: headerID

        width: parent.width * 0.81
        height: parent.height * 0.10
        color: "black"

        Text {
            x: parent.width * 0.02
            width: parent.width * 0.58
            height: parent.height
            verticalAlignment: Text.AlignVCenter
            text: "JV " + version + "/" + driverVersion + "/" + dspicVersion
            color: "#f0b323"
            elide: Text.ElideRight
            font.family: "Gotham"
            font.bold: true
            font.pixelSize: fontsizeqml * 0.7
        }

        Image {
            x: parent.width * 0.6
            height: parent.height * 0.8
            width: height
            anchors.verticalCenter: parent.verticalCenter
            fillMode: Image.PreserveAspectFit
            source: isOnline ? "qrc:///images/OnlineStatus.png" : "qrc:///images/OfflineStatus.png"
        }

        Text {
            id: ipLabelID

            objectName: "ipLabelID"
            x: parent.width * 0.7
            width: parent.width * 0.3
            height: parent.height
            verticalAlignment: Text.AlignVCenter
            text: ip
            color: "white"
            font.family: "Gotham"
            font.bold: true
            font.pixelSize: fontsizeqml * 0.7

            MouseArea {
                anchors.fill: parent
                onClicked: refreshAddress()
            }
        }
    }

    // ---- profile selector and save ----
    Row {
        id: selectorID

        y: parent.height * 0.115
        width: parent.width * 0.45
        height: parent.height * 0.095
        enabled: !runInProgressState

        TouchButton {
            objectName: "leftArrowID"
            width: parent.width * 0.25
            height: parent.height
            pressedColor: "#555500"
            radius: 3
            onClicked: stepProfile(-1)

            Image { anchors.fill: parent; fillMode: Image.PreserveAspectFit; source: "qrc:///images/Left.png" }
        }

        TouchButton {
            id: programSelect

            objectName: "programSelect"
            width: parent.width * 0.5
            height: parent.height
            color: "black"
            borderColor: "#f0b323"
            radius: 3
            textColor: "white"
            font.family: "Gotham"
            font.bold: true
            font.pixelSize: fontsizeqml
            onClicked: invokeProfileKeyPad()
        }

        TouchButton {
            objectName: "rightArrowID"
            width: parent.width * 0.25
            height: parent.height
            pressedColor: "#555500"
            radius: 3
            onClicked: stepProfile(1)

            Image { anchors.fill: parent; fillMode: Image.PreserveAspectFit; source: "qrc:///images/Right.png" }
        }
    }

    TouchButton {
        id: saveButtonID

        objectName: "saveButtonID"
        x: parent.width * 0.47
        y: selectorID.y
        width: height * 1.3
        height: selectorID.height
        enabled: !runInProgressState
        tooltip: adminControl ? "Save Profile" : "Login Required"
        pressedColor: "#555500"
        radius: 3
        onClicked: {
            if (adminControl)
                giveThumbsUp(saveProgram())
        }

        Image { anchors.fill: parent; fillMode: Image.PreserveAspectFit; source: "qrc:///images/Save.png" }
    }

    Rectangle {
        id: progressBarID

        objectName: "progressBarID"
        y: parent.height * 0.22
        height: Math.max(1, parent.height * 0.01)
        width: parent.width * 0.81 * progressPercent / 100
        color: "#00ffcc"
    }

    // ---- parameter tiles ----
    Grid {
        id: dashboardID

        y: parent.height * 0.23
        width: parent.width * 0.812
        height: parent.height * 0.63
        columns: 3
        spacing: 2

        Repeater {
            model: [["riseTime", "RiseTime", 4], ["dwell", "Dwell", 2], ["fallTime", "FallTime", 5],
                    ["delay", "Delay", 6], ["dutyCycle", "DutyCycle", 3], ["dispenseCycles", "Cycle", 1]]

            Rectangle {
                objectName: modelData[0] + "TileID"
                width: (dashboardID.width - 4) / 3
                height: (dashboardID.height - 4) / 3
                color: "black"
                border.color: "#666633"
                enabled: !runInProgressState

                Image {
                    height: parent.height * 0.8
                    width: height
                    x: parent.width * 0.04
                    anchors.verticalCenter: parent.verticalCenter
                    fillMode: Image.PreserveAspectFit
                    source: "qrc:///images/" + modelData[1] + (adminControl ? "Selected" : "") + ".png"
                }

                Text {
                    objectName: modelData[0] + "ValueID"
                    anchors.right: parent.right
                    anchors.rightMargin: parent.width * 0.05
                    anchors.verticalCenter: parent.verticalCenter
                    visible: modelData[2] !== 1 || (profileRevision, !!currentProfile && Number(currentProfile.mode) === 0)
                    text: (profileRevision, currentProfile ? String(currentProfile[modelData[0]]) : "")
                    color: "white"
                    font.family: "Gotham"
                    font.bold: true
                    font.pixelSize: fontsizeqml
                }

                MouseArea {
                    anchors.fill: parent
                    onClicked: {
                        if (modelData[2] !== 1 || Number(currentProfile.mode) === 0)
                            openEditor(modelData[2])
                    }
                }
            }
        }

        Rectangle {
            width: (dashboardID.width - 4) / 3
            height: (dashboardID.height - 4) / 3
            color: "black"
            border.color: "#666633"

            TouchButton {
                id: nzTempButtonID

                objectName: "nzTempButtonID"
                height: parent.height * 0.8
                width: height
                x: parent.width * 0.04
                anchors.verticalCenter: parent.verticalCenter
                tooltip: "Nozzle Temperature"
                pressedColor: "#555500"
                radius: 3
                onClicked: heaterButtonClicked()

                Image {
                    anchors.fill: parent
                    fillMode: Image.PreserveAspectFit
                    source: heatingSelected ? "qrc:///images/TempRed.png" : "qrc:///images/TempGreen.png"
                }
            }

            Text {
                id: nTempValueID

                objectName: "nTempValueID"
                anchors.right: parent.right
                anchors.rightMargin: parent.width * 0.05
                anchors.verticalCenter: parent.verticalCenter
                enabled: !runInProgressState
                color: "white"
                font.family: "Gotham"
                font.bold: true
                font.pixelSize: fontsizeqml

                MouseArea {
                    anchors.fill: parent
                    onClicked: openEditor(7)
                }
            }
        }

        Rectangle {
            width: (dashboardID.width - 4) / 3
            height: (dashboardID.height - 4) / 3
            color: "black"
            border.color: "#666633"

            TouchButton {
                id: freqButtonID

                objectName: "freqButtonID"
                height: parent.height * 0.8
                width: height
                x: parent.width * 0.04
                anchors.verticalCenter: parent.verticalCenter
                pressedColor: "#555500"
                radius: 3
                onClicked: {
                    waveformPanelID.visible = !waveformPanelID.visible
                    waveCanvasID.requestPaint()
                }

                Image { anchors.fill: parent; fillMode: Image.PreserveAspectFit; source: "qrc:///images/FreqSelected.png" }
            }

            Text {
                id: freqID2

                objectName: "freqID2"
                anchors.left: freqButtonID.right
                anchors.right: parent.right
                anchors.rightMargin: parent.width * 0.03
                anchors.verticalCenter: parent.verticalCenter
                horizontalAlignment: Text.AlignRight
                // High frequencies shrink the text rather than run over the icon.
                fontSizeMode: Text.HorizontalFit
                minimumPixelSize: 6
                color: "white"
                font.family: "Gotham"
                font.bold: true
                font.pixelSize: fontsizeqml * 0.8
            }
        }

        Rectangle {
            width: (dashboardID.width - 4) / 3
            height: (dashboardID.height - 4) / 3
            color: "black"
            border.color: "#666633"

            TouchButton {
                id: lineDotButtonID

                property bool selected: false

                objectName: "lineDotButtonID"
                anchors.fill: parent
                enabled: !runInProgressState
                pressedColor: "#555500"
                radius: 3
                onClicked: toggleLineDot()

                Image {
                    height: parent.height * 0.8
                    width: height
                    x: parent.width * 0.04
                    anchors.verticalCenter: parent.verticalCenter
                    fillMode: Image.PreserveAspectFit
                    source: lineDotButtonID.selected ? "qrc:///images/LineSelected.png" : "qrc:///images/DotSelected.png"
                }

                Text {
                    anchors.right: parent.right
                    anchors.rightMargin: parent.width * 0.08
                    anchors.verticalCenter: parent.verticalCenter
                    text: lineDotButtonID.selected ? "Line" : "Dot"
                    color: "white"
                    font.family: "Gotham"
                    font.bold: true
                    font.pixelSize: fontsizeqml
                }
            }
        }
    }

    // ---- waveform panel ----
    Rectangle {
        id: waveformPanelID

        objectName: "waveformPanelID"
        x: dashboardID.x
        y: dashboardID.y
        width: dashboardID.width
        height: dashboardID.height
        visible: false
        z: 10
        color: "black"
        border.color: "#f0b323"

        Canvas {
            id: waveCanvasID

            objectName: "waveCanvasID"
            x: parent.width * 0.02
            y: parent.height * 0.2
            width: parent.width * 0.96
            height: parent.height * 0.78
            onPaint: {
                var ctx = getContext("2d")
                ctx.clearRect(0, 0, width, height)
                ctx.fillStyle = "#f0f5f5"
                ctx.fillRect(width * 0.1 - 2, height * 0.3, 3, height * 0.65)
                ctx.fillRect(width * 0.08, height * 0.92, width * 0.86, 3)
                if (!currentProfile)
                    return
                var rise = Number(currentProfile.riseTime)
                var dwell = Number(currentProfile.dwell)
                var fall = Number(currentProfile.fallTime)
                var total = rise + dwell + fall
                if (!(total > 0))
                    return
                var x0 = width * 0.1
                var scale = width * 0.8 / total
                ctx.lineWidth = 3
                ctx.lineCap = "round"
                ctx.strokeStyle = "#00ff99"
                ctx.beginPath()
                ctx.moveTo(x0, height * 0.92)
                ctx.lineTo(x0 + rise * scale, height * 0.4)
                ctx.lineTo(x0 + (rise + dwell) * scale, height * 0.4)
                ctx.lineTo(x0 + total * scale, height * 0.92)
                ctx.stroke()
            }
        }

        TouchButton {
            objectName: "waveRedrawID"
            width: parent.height * 0.18
            height: width
            x: parent.width * 0.02
            y: parent.height * 0.01
            pressedColor: "#555500"
            radius: 3
            onClicked: waveCanvasID.requestPaint()

            Image { anchors.fill: parent; fillMode: Image.PreserveAspectFit; source: "qrc:///images/FreqSelected.png" }
        }

        Text {
            x: parent.width * 0.15
            y: parent.height * 0.03
            text: "Frequency"
            color: "white"
            font.family: "Gotham"
            font.bold: true
            font.pixelSize: fontsizeqml * 0.8

            MouseArea {
                anchors.fill: parent
                onClicked: waveCanvasID.requestPaint()
            }
        }

        Text {
            id: waveFreqLabelID

            objectName: "waveFreqLabelID"
            x: parent.width * 0.5
            y: parent.height * 0.03
            color: "#00ff99"
            font.family: "Gotham"
            font.bold: true
            font.pixelSize: fontsizeqml * 0.8
        }

        TouchButton {
            objectName: "waveCloseID"
            width: parent.height * 0.18
            height: width
            anchors.right: parent.right
            y: parent.height * 0.01
            tooltip: "Close"
            pressedColor: "#555500"
            radius: 3
            onClicked: waveformPanelID.visible = false

            Image { anchors.fill: parent; fillMode: Image.PreserveAspectFit; source: "qrc:///images/Cancel.png" }
        }
    }

    // ---- right dashboard ----
    Item {
        id: rightDashboardID

        x: parent.width * 0.815
        width: parent.width * 0.18
        height: parent.height * 0.86

        Image {
            id: lineModeIndicatorID

            objectName: "lineModeIndicatorID"
            width: parent.width
            height: parent.height * 0.3
            visible: !dotMode
            fillMode: Image.PreserveAspectFit
            source: "qrc:///images/LineSelected.png"
        }

        TouchButton {
            id: purgeButtonID

            objectName: "purgeButtonID"
            y: parent.height * 0.32
            width: parent.width
            height: parent.height * 0.22
            enabled: !controllerFault
            visible: !runInProgressState
            pressedColor: "#555500"
            radius: 3
            onPressedChanged: pressed ? purgePress() : purgeRelease()

            Image {
                anchors.fill: parent
                fillMode: Image.PreserveAspectFit
                source: purgeButtonID.pressed ? "qrc:///images/PurgeModeSelected.png" : "qrc:///images/PurgeMode.png"
            }
        }

        TouchButton {
            id: valveButtonID

            property bool guarded: false

            objectName: "valveButtonID"
            y: parent.height * 0.56
            width: parent.width
            height: parent.height * 0.2
            enabled: !controllerFault && !guarded
            visible: !runInProgressState
            pressedColor: "#555500"
            radius: 3
            onClicked: toggleServiceMode()

            Image {
                anchors.fill: parent
                fillMode: Image.PreserveAspectFit
                source: serviceModeState ? "qrc:///images/ValveOpen.png" : "qrc:///images/ValveClose.png"
            }
        }
    }

    // ---- status bar ----
    Rectangle {
        id: statusBarID

        y: parent.height * 0.87
        width: parent.width
        height: parent.height * 0.13
        color: "black"

        Image {
            id: nzTempStateID

            objectName: "nzTempStateID"
            height: parent.height * 0.8
            width: height
            x: parent.width * 0.01
            anchors.verticalCenter: parent.verticalCenter
            fillMode: Image.PreserveAspectFit
            source: nozzleHeaterStatus && !controllerFault ? "qrc:///images/Hot.png" : "qrc:///images/NoIcon.png"
        }

        Text {
            id: nzTempValueID

            objectName: "nzTempValueID"
            x: parent.width * 0.09
            width: parent.width * 0.15
            height: parent.height
            verticalAlignment: Text.AlignVCenter
            text: "--"
            color: "white"
            font.family: "Gotham"
            font.bold: true
            font.pixelSize: fontsizeqml * 0.8

            MouseArea {
                anchors.fill: parent
                onClicked: startStopInputThread(true)
            }
        }

        // The oldest fault or stop held, and how many more.
        Rectangle {
            id: faultUpdateID

            readonly property int held: handleThread.heldFaults.length
            property alias text: faultTextID.text

            objectName: "faultUpdateID"
            x: parent.width * 0.25
            width: parent.width * 0.2
            height: parent.height * 0.8
            anchors.verticalCenter: parent.verticalCenter
            visible: held > 0
            color: "#ff3333"
            radius: 3

            Text {
                id: faultTextID

                anchors.centerIn: parent
                width: parent.width * 0.95
                horizontalAlignment: Text.AlignHCenter
                fontSizeMode: Text.HorizontalFit
                minimumPixelSize: 6
                text: faultUpdateID.held === 0 ? "" : handleThread.heldFaults[0]
                                                       + (faultUpdateID.held > 1 ? " +" + (faultUpdateID.held - 1) : "")
                color: "white"
                font.family: "Gotham"
                font.bold: true
                font.pixelSize: fontsizeqml * 0.7
            }
        }

        Item {
            id: piezoPanelID

            objectName: "piezoPanelID"
            x: parent.width * 0.47
            width: parent.width * 0.3
            height: parent.height

            Image {
                x: parent.width * 0.1
                width: parent.width * 0.8
                height: parent.height * 0.6
                anchors.verticalCenter: parent.verticalCenter
                source: "qrc:///images/TempMeter.png"
            }

            Rectangle {
                id: hidePowerBarID

                objectName: "hidePowerBarID"
                width: parent.width - x
                height: parent.height
                color: "black"
            }
        }

        Image {
            x: parent.width * 0.79
            width: parent.width * 0.2
            height: parent.height * 0.9
            anchors.verticalCenter: parent.verticalCenter
            fillMode: Image.PreserveAspectFit
            source: "qrc:///images/VandrelLogo_White.png"
        }
    }

    ScrollNumbers {
        id: scrollNumbersID

        objectName: "scrollNumbersID"
        anchors.fill: parent
        visible: false
        z: 50
        onSave: {
            if (editingAllowed)
                setNumber(id, n)
            visible = false
        }
        onCancelScrollPage: visible = false
    }

    ThumbsUp {
        id: thumbsUpID

        objectName: "thumbsUpID"
        anchors.fill: parent
        visible: false
        z: 100
        onThumbsUpDone: visible = false
    }

    Timer {
        id: purgeRunTimerID

        objectName: "purgeRunTimerID"
        interval: 300
        onTriggered: purgeDecision()
    }

    Timer {
        id: purgeRunMonitorTimerID

        property int currentProfileModeBackup: 0

        objectName: "purgeRunMonitorTimerID"
        interval: 300
        repeat: true
        onTriggered: purgeMonitorTick()
    }

    Timer {
        id: waitTimer

        objectName: "waitTimer"
        interval: 300
        onTriggered: valveButtonID.guarded = false
    }

    Timer {
        id: jvOneSecondTimerID

        objectName: "jvOneSecondTimerID"
        interval: 1000
        repeat: true
        onTriggered: supervise()
    }
}
