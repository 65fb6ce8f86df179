import QtQuick 2.4

// The operating screen's Run/Stop button and emergency stop. They stay out of
// the window's modal container so that the stop acts whatever overlay is up
// and a run in progress can always be stopped; the host lays them over the
// screen's right column, above every overlay but the stop banner.
Item {
    id: stopButtonsRootID

    property bool runShown: true
    property bool runEnabled: true
    property bool running: false
    property bool repeatMode: false
    property bool held: false

    signal runClicked()
    signal eStopClicked()

    // Run sits where the overlays keep their Save, Submit and Cancel: for a
    // moment after it comes back under a finger that closed one, a second
    // tap starts nothing. Stopping a run is never held back.
    onRunShownChanged: if (runShown) freshTimerID.restart()
    onRunEnabledChanged: if (runEnabled) freshTimerID.restart()

    Timer {
        id: freshTimerID

        interval: 500
    }

    TouchButton {
        objectName: "runButtonID"
        width: parent.width
        height: parent.height * 0.3
        visible: stopButtonsRootID.runShown
        enabled: stopButtonsRootID.runEnabled && (stopButtonsRootID.running || !freshTimerID.running)
        pressedColor: "#555500"
        radius: 3
        onClicked: stopButtonsRootID.runClicked()

        Image {
            anchors.fill: parent
            anchors.margins: 3
            fillMode: Image.PreserveAspectFit
            source: stopButtonsRootID.running ? "qrc:///images/StopIcon.png"
                                              : stopButtonsRootID.repeatMode ? "qrc:///images/Repeat.png"
                                                                             : "qrc:///images/Run.png"
        }
    }

    Image {
        objectName: "runDisabledID"
        width: parent.width
        height: parent.height * 0.3
        visible: stopButtonsRootID.held && stopButtonsRootID.runShown
        fillMode: Image.PreserveAspectFit
        source: "qrc:///images/Run_Disabled.png"

        MouseArea { anchors.fill: parent }
    }

    TouchButton {
        objectName: "eStopButtonID"
        y: parent.height * 0.78
        width: parent.width
        height: parent.height * 0.22
        pressedColor: "#555500"
        radius: 3
        onClicked: stopButtonsRootID.eStopClicked()

        Image { anchors.fill: parent; fillMode: Image.PreserveAspectFit; source: "qrc:///images/EStop.png" }
    }
}
