import QtQuick 2.4
import com.zum.qml 1.0
import "SettingsRules.js" as Rules

// The remote server's address and port, typed on the keypad octet by octet.
// Every field is kept exactly as typed; the settings page stores the values
// (the address without leading zeros) and decides whether the remote link
// can use them.
Rectangle {
    id: commConfigPage

    // The built-in server until the settings page hands over the stored one.
    property string ip1: BuildOptions.defaultServerIP.split(".")[0]
    property string ip2: BuildOptions.defaultServerIP.split(".")[1]
    property string ip3: BuildOptions.defaultServerIP.split(".")[2]
    property string ip4: BuildOptions.defaultServerIP.split(".")[3]
    property string commPort: Rules.defaultServerPort
    property string currentSelection: "IP1"
    property real fontsizeqml: height > 0 ? height * 0.051 : 1

    signal closeCommPage()
    signal saveCommConfig(var remoteIP, var remotePort)

    // Loads the stored address and port; a missing octet shows empty.
    function startUp(ips, port) {
        var octets = String(ips === undefined || ips === null ? "" : ips).split(".")
        ip1 = octets.length > 0 ? octets[0] : ""
        ip2 = octets.length > 1 ? octets[1] : ""
        ip3 = octets.length > 2 ? octets[2] : ""
        ip4 = octets.length > 3 ? octets.slice(3).join(".") : ""
        commPort = port === undefined || port === null ? "" : String(port)
    }

    function updateCommConfig() {
        saveCommConfig([ip1, ip2, ip3, ip4].join("."), commPort)
    }

    // An address part takes three digits, the port five.
    function edited(current, updatedText, longest) {
        if (updatedText === "")
            return qSlice(current, 0, current.length - 1)
        return current.length >= longest ? current : current + updatedText
    }

    // Keypad input for the selected field: "" erases its last character,
    // anything else is appended.
    function setText(updatedText) {
        var key = updatedText === undefined || updatedText === null ? "" : String(updatedText)
        switch (currentSelection) {
        case "IP1": ip1 = edited(ip1, key, 3); break
        case "IP2": ip2 = edited(ip2, key, 3); break
        case "IP3": ip3 = edited(ip3, key, 3); break
        case "IP4": ip4 = edited(ip4, key, 3); break
        case "PORT": commPort = edited(commPort, key, 5); break
        }
    }

    function submit() {
        updateCommConfig()
        closeCommPage()
    }

    objectName: "commConfigPage"
    color: "black"

    Item {
        id: fieldsID

        width: parent.width * 0.5
        height: parent.height

        Image {
            x: parent.width * 0.05
            y: parent.height * 0.04
            width: parent.height * 0.14
            height: width
            source: "qrc:///images/IPAddress.png"
            fillMode: Image.PreserveAspectFit
        }

        Text {
            x: parent.width * 0.05 + parent.height * 0.17
            y: parent.height * 0.04
            height: parent.height * 0.14
            verticalAlignment: Text.AlignVCenter
            text: "REMOTE SERVER"
            color: "white"
            font.family: "Gotham"
            font.bold: true
            font.pixelSize: fontsizeqml
        }

        Text {
            x: parent.width * 0.05
            y: parent.height * 0.22
            text: "IP Address"
            color: "white"
            font.family: "Gotham"
            font.bold: true
            font.pixelSize: fontsizeqml * 0.9
        }

        Repeater {
            model: [
                { name: "ip1FieldID", field: "IP1", x: 0.05, y: 0.32, w: 0.19 },
                { name: "ip2FieldID", field: "IP2", x: 0.28, y: 0.32, w: 0.19 },
                { name: "ip3FieldID", field: "IP3", x: 0.51, y: 0.32, w: 0.19 },
                { name: "ip4FieldID", field: "IP4", x: 0.74, y: 0.32, w: 0.19 },
                { name: "portFieldID", field: "PORT", x: 0.05, y: 0.6, w: 0.42 }
            ]

            Rectangle {
                objectName: modelData.name
                x: modelData.x * fieldsID.width
                y: modelData.y * fieldsID.height
                width: modelData.w * fieldsID.width
                height: fieldsID.height * 0.14
                color: "#f0b323"
                border.width: 3
                border.color: currentSelection === modelData.field ? "#66ff66" : "#B0C4DE"

                Text {
                    anchors.centerIn: parent
                    text: {
                        switch (modelData.field) {
                        case "IP1": return ip1
                        case "IP2": return ip2
                        case "IP3": return ip3
                        case "IP4": return ip4
                        default: return commPort
                        }
                    }
                    color: "black"
                    font.family: "Gotham"
                    font.bold: true
                    font.pixelSize: fontsizeqml
                }

                MouseArea {
                    anchors.fill: parent
                    onClicked: currentSelection = modelData.field
                }
            }
        }

        Repeater {
            model: [0.24, 0.47, 0.70]

            Text {
                x: modelData * fieldsID.width
                y: fieldsID.height * 0.32
                width: fieldsID.width * 0.04
                height: fieldsID.height * 0.14
                horizontalAlignment: Text.AlignHCenter
                verticalAlignment: Text.AlignBottom
                text: "."
                color: "white"
                font.family: "Gotham"
                font.bold: true
                font.pixelSize: fontsizeqml * 1.2
            }
        }

        Text {
            x: parent.width * 0.05
            y: parent.height * 0.5
            text: "Port"
            color: "white"
            font.family: "Gotham"
            font.bold: true
            font.pixelSize: fontsizeqml * 0.9
        }

        TouchButton {
            objectName: "commSubmitButtonID"
            x: parent.width * 0.12
            y: parent.height * 0.8
            width: parent.width * 0.3
            height: parent.height * 0.16
            tooltip: "Submit"
            iconSource: "qrc:///images/Submit.png"
            iconMargin: 0
            dimWhenPressed: true
            onClicked: submit()
        }

        TouchButton {
            objectName: "commCancelButtonID"
            x: parent.width * 0.58
            y: parent.height * 0.8
            width: parent.width * 0.3
            height: parent.height * 0.16
            tooltip: "Cancel"
            iconSource: "qrc:///images/Cancel.png"
            iconMargin: 0
            dimWhenPressed: true
            onClicked: closeCommPage()
        }
    }

    NumericalKeypad {
        objectName: "commKeypadID"
        x: parent.width * 0.5
        width: parent.width * 0.5
        height: parent.height
        onKeyPressed: setText(currentNum)
    }
}
