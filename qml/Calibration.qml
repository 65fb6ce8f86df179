import QtQuick 2.4

// Guides the operator through the piezo calibration: asks for the nozzle to be
// tightened, starts the sequence and shows its progress until it completes or
// the operator leaves. The measurement itself belongs to the control logic.
Rectangle {
    id: calibrationPageID

    property int calibTightValue: 0
    property int calibLooseValue: 0
    property real fontsizeqml: height > 0 ? height * 0.05 : 1
    readonly property string progressText: " Calibration in progress..."

    signal calibrationCompleted()

    function startPreCalib() {
        preCalibDialogID.visible = true
        mainCalibDialogID.visible = false
    }

    function hideGauge() {
        adjustNoticeID.visible = false
        calibBarID.visible = false
        calibMarkerID.visible = false
        calibValueBoxID.visible = false
    }

    function activateCalib() {
        preCalibDialogID.visible = false
        mainCalibDialogID.visible = true
        calibProgressID.text = progressText
        calibCloseButtonID.state = ""
        calibValueTextID.text = "..."
        hideGauge()
        startCalibration()
    }

    function calibrationProgress() {
        calibProgressID.text = progressText
    }

    // 9999 is the sequence's warm-up report; other values only move the
    // hidden marker.
    function updateMaxValue(mxi) {
        var value = Number(mxi)
        if (value === 9999) {
            calibrationProgress()
            calibCloseButtonID.state = "confirm"
            hideGauge()
            return
        }
        calibValueTextID.text = String(mxi)
        placeMarker(value)
    }

    // A sequence that ends before it reports a tight value leaves no range:
    // the marker then stays at the range's start instead of taking NaN.
    function placeMarker(value) {
        value = Math.min(value, calibLooseValue)
        if (value < calibTightValue)
            calibTightValue = value
        var span = calibLooseValue - calibTightValue
        var fraction = span > 0 ? (value - calibTightValue) / span : 0
        if (fraction >= 0.30 && fraction <= 0.70)
            fraction = 0.5
        calibMarkerID.x = Math.max(0, mainCalibDialogID.width * (0.145 + 0.63 * fraction))
    }

    function updateADCTightValue(looseVal, tightVal) {
        calibTightValue = Number(tightVal)
        calibLooseValue = calibTightValue + 50
    }

    function informCalibrationDone() {
        calibProgressID.text = " Completed !"
        calibCloseButtonID.state = "confirm"
    }

    function closeProgress() {
        handleThread.stopCalibration()
        calibrationCompleted()
        calibProgressID.text = " Calibration Stopped !"
        triggerHourGlass(2000)
    }

    objectName: "calibarationID"
    color: "black"

    onVisibleChanged: {
        if (!visible)
            return
        adjustNoticeID.visible = false
        calibMarkerID.visible = false
        calibTightValue = 0
        calibLooseValue = 0
    }

    // A fault or stop ends the calibration in the back end; the page, which
    // covers the whole window, makes way so that the fault shows.
    Connections {
        target: handleThread
        function onHeldFaultsChanged() {
            if (calibrationPageID.visible && handleThread.heldFaults.length > 0)
                calibrationCompleted()
        }
    }

    Rectangle {
        id: preCalibDialogID

        objectName: "preCalibDialogID"
        x: parent.width * 0.1
        y: parent.height * 0.15
        width: parent.width * 0.8
        height: parent.height * 0.7
        color: "black"
        border.color: "#ccff66"
        radius: 8

        Text {
            objectName: "preCalibTextID"
            x: parent.width * 0.05
            y: parent.height * 0.12
            text: "  Tighten Nozzle Before Clicking Start \n  By Turning Clockwise Direction"
            color: "white"
            font.family: "Gotham"
            font.bold: true
            font.pixelSize: fontsizeqml
        }

        Rectangle {
            objectName: "calibStartButtonID"
            anchors.horizontalCenter: parent.horizontalCenter
            y: parent.height * 0.5
            width: parent.height * 0.36
            height: width
            radius: width / 2
            color: "#00ffcc"
            scale: startAreaID.pressed ? 1.3 : 1.0

            Text {
                anchors.centerIn: parent
                text: "Start"
                color: "black"
                font.family: "Gotham"
                font.bold: true
                font.pixelSize: fontsizeqml
            }

            MouseArea {
                id: startAreaID

                anchors.fill: parent
                onClicked: activateCalib()
            }
        }

        TouchButton {
            objectName: "preCalibCloseButtonID"
            x: parent.width - width - parent.width * 0.02
            y: parent.width * 0.02
            width: parent.height * 0.2
            height: width
            tooltip: "Close"
            iconSource: "qrc:///images/Cancel.png"
            onClicked: calibrationCompleted()
        }
    }

    Rectangle {
        id: mainCalibDialogID

        objectName: "mainCalibDialogID"
        x: parent.width * 0.1
        y: parent.height * 0.15
        width: parent.width * 0.8
        height: parent.height * 0.7
        color: "black"
        visible: false

        Rectangle {
            x: parent.width * 0.05
            y: parent.height * 0.1
            width: parent.width * 0.72
            height: parent.height * 0.25
            color: "black"
            border.color: "#ccff66"

            Text {
                id: calibProgressID

                objectName: "calibProgressID"
                anchors.fill: parent
                verticalAlignment: Text.AlignVCenter
                color: "white"
                font.family: "Gotham"
                font.bold: true
                font.pixelSize: fontsizeqml
            }
        }

        TouchButton {
            id: calibCloseButtonID

            objectName: "calibCloseButtonID"
            x: parent.width * 0.82
            y: parent.height * 0.1
            width: parent.height * 0.25
            height: width
            tooltip: "Stop Calibration"
            iconSource: "qrc:///images/Cancel.png"
            onClicked: closeProgress()

            states: State {
                name: "confirm"

                PropertyChanges {
                    target: calibCloseButtonID
                    tooltip: "Done"
                    iconSource: "qrc:///images/Submit.png"
                }
            }
        }

        // The gauge below is kept hidden while the page is in use.
        Text {
            id: adjustNoticeID

            objectName: "adjustNoticeID"
            x: parent.width * 0.4
            y: parent.height * 0.42
            text: "ADJUST"
            color: "#ccff66"
            font.family: "Gotham"
            font.bold: true
            font.pixelSize: fontsizeqml
            visible: false
        }

        Row {
            id: calibBarID

            objectName: "calibBarID"
            x: parent.width * 0.145
            y: parent.height * 0.62
            visible: false

            Rectangle { width: mainCalibDialogID.width * 0.21; height: mainCalibDialogID.height * 0.08; color: "red" }
            Rectangle { width: mainCalibDialogID.width * 0.21; height: mainCalibDialogID.height * 0.08; color: "green" }
            Rectangle { width: mainCalibDialogID.width * 0.21; height: mainCalibDialogID.height * 0.08; color: "red" }
        }

        Rectangle {
            id: calibMarkerID

            objectName: "calibMarkerID"
            y: parent.height * 0.58
            width: parent.height * 0.16
            height: width
            radius: width / 2
            color: "white"
            visible: false
        }

        Rectangle {
            id: calibValueBoxID

            objectName: "calibValueBoxID"
            x: parent.width * 0.4
            y: parent.height * 0.8
            width: parent.width * 0.2
            height: parent.height * 0.15
            color: "#f0b323"
            visible: false

            Text {
                id: calibValueTextID

                objectName: "calibValueTextID"
                anchors.centerIn: parent
                text: "..."
                font.family: "Gotham"
                font.bold: true
                font.pixelSize: fontsizeqml
            }
        }
    }
}
