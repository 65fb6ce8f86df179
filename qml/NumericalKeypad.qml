import QtQuick 2.4

// Digit pad: passes each key on as it is pressed; the host keeps the number.
Rectangle {
    id: numericalKeypadID

    property real fontsizeqml: height > 0 ? height * 0.05 : 1
    property string currentNumber: ""
    property bool isValidRequest: true
    // The keys are made when the pad is first shown: most pads sit on pages
    // that are created at start-up and seldom opened.
    property bool keysMade: false

    signal keyPressed(string currentNum)

    function setCurrentNumber(n) {
        currentNumber = n
        isValidRequest = n !== null && n !== undefined && String(n).trim() !== "" && !isNaN(Number(n))
    }

    function setValue(digit) {
        currentNumber = Number(digit) >= 0 ? digit : ""
        if (isValidRequest)
            keyPressed(currentNumber)
        else
            currentNumber = "0"
    }

    objectName: "numericalKeypadID"
    color: "black"
    onVisibleChanged: {
        if (visible)
            keysMade = true
    }

    Loader {
        anchors.fill: parent
        active: numericalKeypadID.visible || numericalKeypadID.keysMade
        sourceComponent: keysComponentID
    }

    Component {
        id: keysComponentID

        Item {
            Repeater {
                model: ["1", "2", "3", "4", "5", "6", "7", "8", "9", ".", "0", "<"]

                Rectangle {
                    readonly property bool isDot: modelData === "."

                    objectName: isDot ? "keyDot" : modelData === "<" ? "keyErase" : "key" + modelData
                    x: [0.1, 0.4, 0.7][index % 3] * numericalKeypadID.width
                    y: [0.025, 0.275, 0.525, 0.775][Math.floor(index / 3)] * numericalKeypadID.height
                    width: numericalKeypadID.height * 0.2
                    height: width
                    radius: 10
                    color: "#ffd11a"
                    enabled: !isDot
                    opacity: enabled ? 1.0 : 0.4
                    scale: keyAreaID.pressed ? 1.3 : 1.0

                    Behavior on scale {
                        NumberAnimation { duration: 80 }
                    }

                    Text {
                        anchors.centerIn: parent
                        text: modelData
                        color: "black"
                        font.family: "Gotham"
                        font.bold: true
                        font.pixelSize: numericalKeypadID.fontsizeqml * 1.9
                    }

                    MouseArea {
                        id: keyAreaID

                        anchors.fill: parent
                        onClicked: numericalKeypadID.setValue(modelData)
                    }
                }
            }
        }
    }
}
