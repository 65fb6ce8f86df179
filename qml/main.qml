import QtQuick 2.4
import QtQuick.Controls 1.4
import com.zum.qml 1.0

// Minimal main window: creates the back end and starts it as the console does,
// so that the board, the driver board and the remote link run end to end.
ApplicationWindow {
    id: mainWindow

    property string statusText: "Starting"

    objectName: "mainWindow"
    title: "ZUM Jet Valve"
    width: 480
    height: 272
    visible: true

    Component.onCompleted: {
        handleThread.startGUIThread(fileIo.cpuArch())
        handleThread.setSystemType("JET_VALVE")
        handleThread.sendP26()
    }

    FileIo {
        id: fileIo

        objectName: "fileIo"
    }

    ThreadHandler {
        id: handleThread

        objectName: "handleThread"

        onGotInputValues: mainWindow.statusText = "Piezo " + pT.toFixed(1) + " °C   Nozzle " + nZ.toFixed(1) + " °C"
        onFaultUpdate: mainWindow.statusText = inp + (state ? " fault" : " cleared")
    }

    Rectangle {
        anchors.fill: parent
        color: "#1d2b3a"

        Column {
            anchors.centerIn: parent
            spacing: 12

            Text {
                anchors.horizontalCenter: parent.horizontalCenter
                color: "white"
                font.pixelSize: 22
                text: "ZUM Jet Valve"
            }

            Text {
                anchors.horizontalCenter: parent.horizontalCenter
                color: "#b8c7d6"
                font.pixelSize: 14
                text: mainWindow.statusText
            }
        }
    }
}
