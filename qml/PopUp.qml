import QtQuick 2.4

// Two-line message box; the host shows it and hides it on the close icon.
Rectangle {
    id: popUpRootID

    property real fontsizeqml: Math.max(1, height * 0.05)
    property string message1: ""
    property string message2: ""
    property bool criticalMessage: false

    signal closeButtonPressed()

    function setMessage(m1, m2) {
        message1 = m1
        message2 = m2
        criticalMessage = false
    }

    color: "#ffffcc"
    opacity: 0.85

    Item {
        id: messageAreaID

        x: parent.width * 0.05
        y: parent.height * 0.05
        width: parent.width * 0.9
        height: parent.height * 0.7

        Repeater {
            model: [popUpRootID.message1, popUpRootID.message2]

            Text {
                objectName: "messageLine" + (index + 1)
                y: index * messageAreaID.height * 0.4
                width: messageAreaID.width
                height: messageAreaID.height * 0.4
                text: modelData
                color: popUpRootID.criticalMessage ? "#800000" : "black"
                horizontalAlignment: Text.AlignLeft
                verticalAlignment: Text.AlignVCenter
                font.family: "Gotham"
                font.bold: true
                font.pixelSize: popUpRootID.fontsizeqml * 2.4
                // Long messages shrink to the line instead of running off the box.
                fontSizeMode: Text.HorizontalFit
                minimumPixelSize: 6
            }
        }
    }

    TouchButton {
        objectName: "closeIconID"
        x: parent.width * 0.75
        y: parent.height * 0.75
        width: parent.height * 0.2
        height: width
        tooltip: "Close"
        iconSource: "qrc:///images/Cancel.png"
        iconMargin: 0
        onClicked: popUpRootID.closeButtonPressed()
    }
}
