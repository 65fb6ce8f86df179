import QtQuick 2.4
import QtTest 1.2
import com.zum.qml 1.0
import "../../qml"
import "harness"

// The remote-server page inside the settings page that stores what it typed
// and starts the remote link.
Item {
    id: harness

    property string ip: "0.0.0.0"
    property string mac: "0.0.0.0"
    property int epromFlags: 0
    property int epromTotalCycles: 0
    property int epromTotalCyclesCompareValue: 0
    property bool runInProgressState: false

    function qSlice(txt, start, end) { return txt.slice(start, end) }
    function refreshIPAddress() { ip = "127.0.0.1" }
    function getMacAddress() { return "02:00:00:00:00:01" }
    function triggerHourGlass(waitTime) {}
    function turnWifiOnOff(state) {}
    function disconnectFromSSID(ssid) { return true }

    width: 408
    height: 272

    FileIo { id: fileIo }
    FakeThreadHandler { id: handleThread }
    QtObject { id: wifiClass }

    Settings {
        id: settings

        anchors.fill: parent
    }

    SignalSpy {
        id: linkStarts

        target: settings
        signalName: "callIOTStartCommand"
    }

    TestCase {
        name: "CommConfig"
        when: windowShown

        property var page: findChild(settings, "commConfigID")

        function stored() { return JSON.parse(fileIo.read("/media/data/JetValveSettings.dat")) }

        function init() {
            page.startUp("127.0.0.1", "4900")
            page.updateCommConfig()
            linkStarts.clear()
            page.visible = true
        }

        function test_typedValuesAreStored_data() {
            return [
                { tag: "octet 300", field: "ip1FieldID", keys: ["<", "<", "<", "3", "0", "0"],
                  button: "commSubmitButtonID", ip: "300.0.0.1", port: "4900" },
                { tag: "empty port", field: "portFieldID", keys: ["<", "<", "<", "<", "<"],
                  button: "commSubmitButtonID", ip: "127.0.0.1", port: "" },
                { tag: "cancel", field: "ip2FieldID", keys: ["9"],
                  button: "commCancelButtonID", ip: "127.0.0.1", port: "4900" }
            ]
        }

        function test_typedValuesAreStored(data) {
            mouseClick(findChild(page, data.field))
            for (var i = 0; i < data.keys.length; i++)
                mouseClick(findChild(page, data.keys[i] === "<" ? "keyErase" : "key" + data.keys[i]))
            mouseClick(findChild(page, data.button))
            compare(page.visible, false)
            compare(stored().RemoteServerIP, data.ip)
            compare(stored().RemoteServerPort, data.port)
            compare(linkStarts.count, 0) // an address that cannot be used, or Cancel, starts no link
            compare([page.ip1, page.ip2, page.ip3, page.ip4].join("."), data.ip)
        }
    }
}
