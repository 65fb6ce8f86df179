import QtQuick 2.4
import QtQuick.Controls 1.4
import "Wifi.js" as Wifi

// Scans for wireless networks and joins one: an open network directly, a
// secured one with the pass phrase from "password.txt" on a USB stick. The
// last network joined here is stored and joined again at every start.
Rectangle {
    id: wifiSettingsPage

    property var wifiSSIDList: []
    property var wifiSSIDsecList: []
    property var wifiSSIDunsecList: []
    property string currentSSID: "NIL"
    property int currentSSIDIndex: 0
    property string passCodeWifi: "NIL"
    property bool connectionStatus: false
    property string usbPath: "/media/usb/"
    property bool mount: false
    property string wifiSetupPath: "/media/data/wifi.setup"
    property string shownName: ""
    property string securityText: ""
    property string networkText: ""
    property string hintText: ""
    property string statusText: "Not Connected"
    property string detailText: ""
    property string connectButtonText: "Connect"
    // The busy indicator turns while a join or a scan is under way; the
    // tools run on the Wi-Fi worker and their answers come by signal.
    property bool connecting: false
    property bool scanning: false
    // Waiting for the stick's pass-phrase file.
    property bool readingPassFile: false
    // The join under way: its pass phrase, and whether to store it once joined.
    property string joiningPasscode: ""
    property bool joiningRemembered: false
    // The tumbler and the busy indicator are made when the page is first
    // shown: the page itself is created at every start for its default join,
    // mostly never to be opened.
    property bool shownOnce: false
    // Why the back end refused the last join before running any tool.
    property string refusalText: ""
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
        var shown = Wifi.classify(currentSSID, wifiSSIDsecList)
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
        statusText = first
        detailText = second
    }

    // Starts joining `ssid`, with `passcode` unless it is empty; joinFinished
    // ends it. A join made here (not the default one) is stored for the next start.
    function joinNetwork(ssid, passcode, message, remember) {
        if (connecting)
            return false
        turnWifiOnOff(true)
        setStatus("Wifi turned on", message + ssid)
        refusalText = ""
        if (!wifiClass.connectToSSIDAsync(ssid, passcode)) {
            setStatus("Failed: " + ssid, "Wi-Fi busy, try again")
            return false
        }
        connecting = true
        joiningPasscode = passcode
        joiningRemembered = remember
        return true
    }

    function joinFinished(ssid, joined) {
        connecting = false
        connectionStatus = joined
        connectButtonText = joined ? "Disconnect" : "Connect"
        if (!joined) {
            if (refusalText !== "")
                setStatus(refusalText, "Failed: " + ssid)
            else if (joiningRemembered)
                setStatus("Incorrect Password", "Failed: " + ssid)
            else
                setStatus("Failed: " + ssid, "")
            return
        }
        currentSSID = ssid
        setStatus("Connected to " + ssid, "")
        if (joiningRemembered && !fileIo.write(wifiSetupPath, Wifi.setupText(ssid, joiningPasscode)))
            console.warn("cannot store the Wi-Fi setup in " + wifiSetupPath)
    }

    function connectToWifi() {
        if (connecting || readingPassFile)
            return false
        if (connectionStatus)
            return disconnectWifi()
        if (wifiSSIDsecList.indexOf(currentSSID) < 0) {
            if (wifiSSIDList.indexOf(currentSSID) < 0) {
                setStatus("Not Connected", "Scan for networks first")
                return false
            }
            passCodeWifi = ""
            return joinNetwork(currentSSID, "", "Connecting to ", true)
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
            return joinNetwork(currentSSID, passCodeWifi, "Connecting with password to: ", true)
        selectNetwork(action.ssid)
        return joinNetwork(action.ssid, passCodeWifi, "Connect with password to: ", true)
    }

    function disconnectWifi() {
        selectNetwork(currentSSID)
        disconnectFromSSID(currentSSID)
        connectionStatus = false
        connectButtonText = "Connect"
        setStatus("Wifi is Disconnected", "")
        return true
    }

    // Joins the network stored by the last join from this page, if any.
    function defaultJoin() {
        var setup = Wifi.parseSetup(fileIo.read(wifiSetupPath))
        if (setup === null) {
            if (fileIo.read(wifiSetupPath).length > 5)
                console.warn("Wi-Fi setup in " + wifiSetupPath + " is not usable; no network joined")
            return false
        }
        selectNetwork(setup.ssid)
        passCodeWifi = setup.passcode
        return joinNetwork(setup.ssid, setup.passcode, "Connecting to default:", false)
    }

    objectName: "wifiSettingsPage"
    color: "black"
    onVisibleChanged: {
        if (visible)
            shownOnce = true
        if (visible && !connectionStatus)
            scanWifi()
    }
    Component.onCompleted: defaultJoin()

    Connections {
        target: wifiClass
        ignoreUnknownSignals: true

        function onSsidRefused(ssid, reason) { refusalText = reason }
        function onScanDone(ssids, secured, unsecured) { scanFinished(ssids, secured, unsecured) }
        function onConnectDone(ssid, joined) { joinFinished(ssid, joined) }
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
                        case "statusTextID": return statusText
                        case "detailTextID": return detailText
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
            visible: connecting || scanning
            active: (shownOnce || wifiSettingsPage.visible) && (connecting || scanning)

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
                    text: modelData.name === "connectButtonID" ? connectButtonText : modelData.label
                    color: "#e8e8e8"
                    pressedColor: "#c8c8c8"
                    borderColor: "#999999"
                    radius: 3
                    onClicked: {
                        switch (modelData.name) {
                        case "scanButtonID": scanWifi(); break
                        case "connectButtonID": connectToWifi(); break
                        case "defaultButtonID": defaultJoin(); break
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
