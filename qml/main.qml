import QtQuick 2.4
import QtQuick.Controls 1.4
import com.zum.qml 1.0

ApplicationWindow {
    id: mainWindow

    objectName: "mainWindow"
    title: "ZUM Jet Valve"
    width: 480
    height: 272
    visible: true

    FileIo {
        id: fileIo
    }

    Rectangle {
        anchors.fill: parent
        color: "#1d2b3a"

        Text {
            anchors.centerIn: parent
            color: "white"
            font.pixelSize: 20
            text: "ZUM Jet Valve"
        }
    }
}
