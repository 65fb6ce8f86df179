import QtQuick 2.4
import QtQuick.Controls 1.4
import "Wifi.js" as Wifi

// Scans for wireless networks and joins one: an open network directly, a
// secured one with the pass phrase from "password.txt" on a USB stick. The
// joins run through the window's Wi-Fi link (WifiConnection), which stores
// the last network joined here and joins it again at every start.
Rectangle {
    id: wifiSettingsPage

    property var wifiSSIDList: []
    property var wifiSSIDsecList: []
    property var wifiSSIDunsecList: []
    property string currentSSID: "NIL"
    property int currentSSIDIndex: 0
    property string passCodeWifi: "NIL"
    property string usbPath: "/media/usb/"
    property bool mount: false
    property string shownName: ""
    property string securityText: ""
    property string networkText: ""
    property string hintText: ""
    // The busy indicator turns while a join or a scan is under way; the
    // tools run on the Wi-Fi worker and their answers come by signal.
    property bool scanning: false
    // Waiting for the stick's pass-phrase file.
    property bool readingPassFile: false
    // The tumbler and the busy indicator are made when the page is first
    // shown.
    property bool shownOnce: false
    property real fontsizeqml: height > 0 ? height * 0.051 : 1

    signal closeWifiSettingsPage()

    function scanWifi() {
        if (!scanning && wifiClass.scanAsync())
            scanning = true
    }

    function scanFinished(ssids, secured, unsecured) {
        scanning = false
        wifiSSIDList = Wifi.scanNames(ssids)
        wifiSSIDsecList = Wifi.securedNames(secured)
        wifiSSIDunsecList = unsecured
        selectIndex(0)
    }

    // Shows the network under the tumbler as secured or open.
    function classifySelection() {
        if (currentSSIDIndex >= wifiSSIDList.length) {
            currentSSID = "NIL"
            securityText = networkText = hintText = shownName = ""
            return
        }
        currentSSID = wifiSSIDList[currentSSIDIndex]
        var shown = Wifi.classify(currentSSID, wifiSSIDunsecList)
        securityText = shown.kind
        networkText = shown.description
        hintText = shown.hint
        shownName = shown.shownName
    }

    function selectIndex(index) {
        currentSSIDIndex = Math.max(0, index)
        if (ssidTumblerLoaderID.item)
            ssidTumblerLoaderID.item.setCurrentIndexAt(0, currentSSIDIndex, 0)
        classifySelection()
    }

    function selectNetwork(name) {
        var index = wifiSSIDList.indexOf(name)
        if (index >= 0)
            selectIndex(index)
    }

    function moveTumbler(where) {
        selectIndex(Wifi.moveIndex(currentSSIDIndex, wifiSSIDList.length, where))
    }

    function setStatus(first, second) {
        wifiConnectionID.setStatus(first, second)
    }

    function connectToWifi() {
        if (wifiConnectionID.connecting || readingPassFile)
            return false
        if (wifiConnectionID.connectionStatus)
            return disconnectWifi()
        if (wifiSSIDList.indexOf(currentSSID) < 0) {
            setStatus("Not Connected", "Scan for networks first")
            return false
        }
        if (Wifi.isOpen(currentSSID, wifiSSIDunsecList)) {
            passCodeWifi = ""
            return wifiConnectionID.joinNetwork(currentSSID, "", "Connecting to ", true)
        }
        if (!fileIo.readUsbLinesAsync(usbPath + "password.txt"))
            return false
        readingPassFile = true
        setStatus("Reading from USB to connect....", "")
        return true
    }

    function passFileRead(mounted, lines) {
        readingPassFile = false
        mount = mounted
        if (!mount) {
            setStatus("Check USB", "")
            return false
        }
        var action = Wifi.passFileAction(lines)
        if (!action.ok) {
            setStatus(action.message1, action.message2)
            return false
        }
        passCodeWifi = action.passcode
        if (action.ssid === "")
            return wifiConnectionID.joinNetwork(currentSSID, passCodeWifi, "Connecting with password to: ", true)
        return wifiConnectionID.joinNetwork(action.ssid, passCodeWifi, "Connect with password to: ", true)
    }

    function disconnectWifi() {
        selectNetwork(currentSSID)
        wifiConnectionID.disconnect(currentSSID)
        return true
    }

    objectName: "wifiSettingsPage"
    color: "black"
    onVisibleChanged: {
        if (visible)
            shownOnce = true
        if (visible && !wifiConnectionID.connectionStatus)
            scanWifi()
    }
    // Made after the start-up join may have ended: shows the network joined.
    Component.onCompleted: {
        if (wifiConnectionID.connectionStatus)
            currentSSID = wifiConnectionID.ssid
    }

    Connections {
        target: wifiClass
        ignoreUnknownSignals: true

        function onScanDone(ssids, secured, unsecured) { scanFinished(ssids, secured, unsecured) }
    }

    Connections {
        target: wifiConnectionID

        function onJoinStarted(ssid, passcode) {
            selectNetwork(ssid)
            passCodeWifi = passcode
        }
        function onConnectedTo(ssid) { currentSSID = ssid }
    }

    Connections {
        target: fileIo

        function onUsbLinesRead(name, mounted, lines) {
            if (readingPassFile && name === usbPath + "password.txt")
                passFileRead(mounted, lines)
        }
    }

    Item {
        id: infoID

        width: parent.width * 0.5
        height: parent.height

        Image {
            x: parent.width * 0.04
            y: parent.height * 0.03
            width: parent.height * 0.12
            height: width
            source: "qrc:///images/Wifi.png"
            fillMode: Image.PreserveAspectFit
        }

        Column {
            x: parent.width * 0.04
            y: parent.height * 0.17
            width: parent.width * 0.92
            spacing: parent.height * 0.01

            Repeater {
                model: [
                    { name: "ssidNameID", size: 1.1 },
                    { name: "securityTextID", size: 0.9 },
                    { name: "networkTextID", size: 0.8 },
                    { name: "hintTextID", size: 0.8 },
                    { name: "statusTextID", size: 0.8 },
                    { name: "detailTextID", size: 0.8 }
                ]

                Text {
                    objectName: modelData.name
                    width: parent.width
                    elide: Text.ElideRight
                    color: modelData.name === "ssidNameID" ? "#f0b323" : "white"
                    font.family: "Gotham"
                    font.bold: true
                    font.pixelSize: fontsizeqml * modelData.size
                    text: {
                        switch (modelData.name) {
                        case "securityTextID": return securityText
                        case "networkTextID": return networkText
                        case "hintTextID": return hintText
                        case "statusTextID": return wifiConnectionID.statusText
                        case "detailTextID": return wifiConnectionID.detailText
                        default: return shownName
                        }
                    }
                }
            }
        }

        Loader {
            objectName: "connectingIndicatorID"
            x: parent.width * 0.75
            y: parent.height * 0.03
            width: parent.height * 0.12
            height: width
            visible: wifiConnectionID.connecting || scanning
            active: (shownOnce || wifiSettingsPage.visible) && visible

            sourceComponent: BusyIndicator { running: true }
        }

        Grid {
            x: parent.width * 0.04
            y: parent.height * 0.7
            columns: 2
            spacing: parent.height * 0.03

            Repeater {
                model: [
                    { name: "scanButtonID", label: "Scan" },
                    { name: "connectButtonID", label: "" },
                    { name: "defaultButtonID", label: "Default" },
                    { name: "closeWifiButtonID", label: "Close" }
                ]

                TouchButton {
                    objectName: modelData.name
                    width: infoID.width * 0.44
                    height: infoID.height * 0.12
                    text: modelData.name === "connectButtonID" ? wifiConnectionID.connectButtonText : modelData.label
                    color: "#e8e8e8"
                    pressedColor: "#c8c8c8"
                    borderColor: "#999999"
                    radius: 3
                    onClicked: {
                        switch (modelData.name) {
                        case "scanButtonID": scanWifi(); break
                        case "connectButtonID": connectToWifi(); break
                        case "defaultButtonID": wifiConnectionID.defaultJoin(); break
                        default: closeWifiSettingsPage()
                        }
                    }
                }
            }
        }
    }

    Loader {
        id: ssidTumblerLoaderID

        // The column reports index 0 while it is being made: it follows the
        // page only once it has been put on the page's network.
        property bool following: false

        x: parent.width * 0.5
        y: parent.height * 0.04
        width: parent.width * 0.36
        height: parent.height * 0.92
        active: shownOnce || wifiSettingsPage.visible

        source: "SsidTumbler.qml"

        onLoaded: {
            item.names = Qt.binding(function () { return wifiSettingsPage.wifiSSIDList })
            item.fontSize = Qt.binding(function () { return fontsizeqml * 0.8 })
            item.setCurrentIndexAt(0, currentSSIDIndex, 0)
            following = true
        }
    }

    Connections {
        target: ssidTumblerLoaderID.item

        function onPicked(index) {
            if (ssidTumblerLoaderID.following && index !== currentSSIDIndex) {
                currentSSIDIndex = index
                classifySelection()
            }
        }
    }

    Column {
        x: parent.width * 0.88
        y: parent.height * 0.04
        width: parent.width * 0.1
        spacing: parent.height * 0.04

        Repeater {
            model: [
                { name: "scrollFirstID", image: "ScrollFirst", where: "first" },
                { name: "scrollUpID", image: "ScrollUp", where: "up" },
                { name: "scrollDownID", image: "ScrollDown", where: "down" },
                { name: "scrollLastID", image: "ScrollLast", where: "last" }
            ]

            TouchButton {
                objectName: modelData.name
                width: parent.width
                height: wifiSettingsPage.height * 0.19
                iconSource: "qrc:///images/" + modelData.image + ".png"
                iconMargin: 0
                dimWhenPressed: true
                onClicked: moveTumbler(modelData.where)
            }
        }
    }
}
