import QtQuick 2.4
import QtQuick.Controls.Private 1.0

// The console's button: a picture, a text or both over a flat background.
// It offers what the pages use of the Controls button (text, iconSource,
// tooltip, pressed, clicked) with a handful of items instead of the dozens a
// styled Controls button creates, which the console's start-up time and
// memory feel with seventy buttons on its pages.
Item {
    id: button

    property string text: ""
    property url iconSource: ""
    property string tooltip: ""
    // Space between the picture and the button's edge.
    property real iconMargin: 4
    // The picture fades while the button is disabled, or while it is held.
    property bool dimWhenDisabled: false
    property bool dimWhenPressed: false
    property color color: "transparent"
    property color pressedColor: color
    property color borderColor: "transparent"
    property real radius: 0
    property color textColor: "black"
    property alias font: labelID.font
    // Held down with the finger still on the button, as the Controls button
    // counts it: sliding off releases it.
    readonly property bool pressed: areaID.pressed && areaID.containsMouse
    // Set by a press, cleared when the pointer leaves: a tap mostly opens a
    // page over the button, which takes no hover, and a touch screen leaves
    // the pointer where it tapped, so the button would go on counting as
    // hovered and draw its tooltip over the new page a second later.
    property bool tooltipSpent: false

    signal clicked()

    implicitWidth: 80
    implicitHeight: 30
    onVisibleChanged: if (!visible) Tooltip.hideText()

    Rectangle {
        anchors.fill: parent
        color: button.pressed ? button.pressedColor : button.color
        border.color: button.borderColor
        border.width: button.borderColor.a > 0 ? 1 : 0
        radius: button.radius
    }

    Image {
        anchors.fill: parent
        anchors.margins: button.iconMargin
        visible: button.iconSource.toString() !== ""
        source: button.iconSource
        fillMode: Image.PreserveAspectFit
        opacity: button.dimWhenDisabled && !button.enabled ? 0.4 : button.dimWhenPressed && button.pressed ? 0.6 : 1
    }

    Text {
        id: labelID

        anchors.fill: parent
        visible: button.text !== ""
        text: button.text
        color: button.textColor
        horizontalAlignment: Text.AlignHCenter
        verticalAlignment: Text.AlignVCenter
    }

    MouseArea {
        id: areaID

        anchors.fill: parent
        hoverEnabled: button.tooltip !== ""
        onClicked: button.clicked()
        onPressed: {
            button.tooltipSpent = true
            Tooltip.hideText()
        }
        onExited: {
            button.tooltipSpent = false
            Tooltip.hideText()
        }
        onCanceled: Tooltip.hideText()
    }

    // A mouse resting on the button shows its tooltip, as on the desktop.
    Timer {
        objectName: "tooltipTimerID"
        interval: 1000
        running: areaID.containsMouse && !areaID.pressed && button.tooltip !== "" && !button.tooltipSpent
        onTriggered: Tooltip.showText(areaID, Qt.point(areaID.mouseX, areaID.mouseY), button.tooltip)
    }
}
