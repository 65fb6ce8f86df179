import QtQuick 2.4
import "Wifi.js" as Wifi

// The console's Wi-Fi link, made with the window whether or not the Wi-Fi
// page is ever opened: joins the network stored by the last join from that
// page at every start, runs the page's joins on the Wi-Fi worker and holds
// what the page shows of them.
QtObject {
    id: wifiConnection

    property string wifiSetupPath: "/media/data/wifi.setup"
    // The network joined, or being joined, last.
    property string ssid: ""
    property bool connectionStatus: false
    property string statusText: "Not Connected"
    property string detailText: ""
    property string connectButtonText: "Connect"
    // A join is under way; the tools run on the Wi-Fi worker and the answer
    // comes by signal.
    property bool connecting: false
    // The join under way: its pass phrase, and whether to store it once joined.
    property string joiningPasscode: ""
    property bool joiningRemembered: false
    // Why the back end refused the last join before running any tool.
    property string refusalText: ""
    // The stored network without a pass phrase, joined once a scan shows it
    // open.
    property string defaultAwaitingScan: ""

    property Connections wifiWatch: Connections {
        target: wifiClass
        ignoreUnknownSignals: true

        function onSsidRefused(ssid, reason) { wifiConnection.refusalText = reason }
        function onConnectDone(ssid, joined) { wifiConnection.joinFinished(ssid, joined) }
        function onScanDone(ssids, secured, unsecured) { wifiConnection.defaultScanned(unsecured) }
    }

    // A join of `ssid` started; the Wi-Fi page selects that network.
    signal joinStarted(string ssid, string passcode)
    signal connectedTo(string ssid)

    function setStatus(first, second) {
        statusText = first
        detailText = second
    }

    // Starts joining `ssid`, with `passcode` unless it is empty; joinFinished
    // ends it. A remembered join (one made on the page, not the default one)
    // is stored for the next start.
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
        wifiConnection.ssid = ssid
        joiningPasscode = passcode
        joiningRemembered = remember
        joinStarted(ssid, passcode)
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
        setStatus("Connected to " + ssid, "")
        if (joiningRemembered && !fileIo.write(wifiSetupPath, Wifi.setupText(ssid, joiningPasscode)))
            console.warn("cannot store the Wi-Fi setup in " + wifiSetupPath)
        connectedTo(ssid)
    }

    function disconnect(name) {
        disconnectFromSSID(name)
        connectionStatus = false
        connectButtonText = "Connect"
        setStatus("Wifi is Disconnected", "")
    }

    // Joins the network stored by the last join from the page, if any.
    function defaultJoin() {
        var text = fileIo.read(wifiSetupPath)
        var setup = Wifi.parseSetup(text)
        if (setup === null) {
            if (text.length > 5)
                console.warn("Wi-Fi setup in " + wifiSetupPath + " is not usable; no network joined")
            return false
        }
        if (setup.passcode !== "")
            return joinNetwork(setup.ssid, setup.passcode, "Connecting to default:", false)
        // Stored without a pass phrase (an older console stored secured
        // networks so too): joined only as an open network the scan shows.
        if (connecting || !wifiClass.scanAsync())
            return false
        turnWifiOnOff(true)
        setStatus("Wifi turned on", "Looking for default:" + setup.ssid)
        defaultAwaitingScan = setup.ssid
        connecting = true
        return true
    }

    function defaultScanned(unsecured) {
        var name = defaultAwaitingScan
        if (name === "")
            return
        defaultAwaitingScan = ""
        connecting = false
        if (Wifi.isOpen(name, unsecured))
            joinNetwork(name, "", "Connecting to default:", false)
        else
            setStatus("Not Connected", "No pass phrase stored for " + name)
    }

    Component.onCompleted: defaultJoin()
}
