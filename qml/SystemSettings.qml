import QtQuick 2.4
import com.zum.qml 1.0
import "SettingsRules.js" as Rules
import "Passwords.js" as Passwords

// What the settings and login pages keep for the whole run, made with the
// window and working whether or not those pages were ever opened: the
// settings file, which hands the trigger mode, the run configuration and the
// server address to the back end at start-up; the valve's count; and the
// password file, which may switch the password off. The pages show and edit
// what this object holds.
QtObject {
    id: systemSettings

    property string zumSettingsFilePath: "/media/data/JetValveSettings.dat"
    property var jetValveSettings: Rules.defaults(BuildOptions.defaultServerIP)
    property bool triggerModeCamera: true
    // Why the remote link is offline with the stored address; "" when it is not.
    property string remoteLinkProblem: ""
    // The valve's count is kept by the back end; the main window's copies
    // follow it.
    property QtObject valveCount: handleThread.valveCount

    property Connections valveCountWatch: Connections {
        target: valveCount

        function onChanged() { systemSettings.showValveCount() }
    }

    signal sendTriggerMode(bool triggerModeCamera)
    signal updateCyclicRunSettings(bool isRepeatSelected, int repeatDelay, bool isSeqSelected, int seqStart, int seqEnd)
    signal callIOTStartCommand(string mc, string ip, int pt)
    // The settings were read again; the settings page shows them.
    signal settingsRead()
    signal remoteLinkStarted(string problem)
    // The password file says no password is needed: the operator is logged in.
    signal passwordSwitchedOff()

    function readSettings() {
        var parsed = Rules.parseSettings(fileIo.read(zumSettingsFilePath), BuildOptions.defaultServerIP)
        jetValveSettings = parsed.settings
        if (parsed.firstStart) {
            saveSettings(true)
        } else if (parsed.problems.length > 0) {
            console.warn("settings file repaired (" + parsed.problems.join(", ") + "); stored values of the right type kept")
            saveSettings(false)
        }
        triggerModeCamera = jetValveSettings.trigOutForCamera
        sendTriggerMode(triggerModeCamera)
        settingsRead()
        sendRunConfig()
        startRemoteLink()
    }

    function saveSettings(hourGlass) {
        var written = fileIo.write(zumSettingsFilePath, JSON.stringify(jetValveSettings))
        if (written && hourGlass)
            triggerHourGlass(1000)
        return written
    }

    function sendRunConfig() {
        var s = jetValveSettings
        updateCyclicRunSettings(s.repeatEnabled === true, Rules.toInt(s.repeatDelay), s.seqEnabled === true,
                                Rules.toInt(s.seqStart), Rules.toInt(s.seqEnd))
    }

    // The link always gets the stored address: one it cannot use takes it
    // offline (it never goes on with the previous server), and the settings
    // page says why. Every part of the address is read as decimal.
    function startRemoteLink() {
        var ipAddress = Rules.normalisedIPv4(jetValveSettings.RemoteServerIP)
        var port = jetValveSettings.RemoteServerPort
        var problem = Rules.remoteTargetProblem(ipAddress, port)
        if (problem !== "")
            console.warn("remote link offline: " + problem + " (" + ipAddress + " port " + port + ")")
        remoteLinkProblem = problem
        remoteLinkStarted(problem)
        callIOTStartCommand(getMacAddress(), ipAddress, Number(port))
    }

    function toggleTriggerMode() {
        triggerModeCamera = !triggerModeCamera
        jetValveSettings.trigOutForCamera = triggerModeCamera
        sendTriggerMode(triggerModeCamera)
        saveSettings(false)
    }

    // The run settings page's values, as submitted there.
    function submitRunSettings(repeatEnabled, repeatDelay, seqEnabled, seqStart, seqEnd) {
        var s = jetValveSettings
        s.repeatEnabled = repeatEnabled
        s.repeatDelay = repeatDelay
        s.seqEnabled = seqEnabled
        s.seqStart = seqStart
        s.seqEnd = seqEnd
        saveSettings(true)
        sendTriggerMode(s.trigOutForCamera)
        sendRunConfig()
    }

    // Stores the remote server page's address and port; readSettings() then
    // hands them to the link.
    function storeRemoteServer(remoteIP, remotePort) {
        jetValveSettings.RemoteServerIP = Rules.normalisedIPv4(String(remoteIP))
        jetValveSettings.RemoteServerPort = String(remotePort)
        saveSettings(true)
    }

    function readEpromCycleCountOnValveReplace() {
        return valveCount.readValve()
    }

    function writeCycleCountToEPROM(addOnCount) {
        valveCount.addCycles(Number(addOnCount))
    }

    function showValveCount() {
        epromTotalCycles = valveCount.total
        epromFlags = valveCount.flags
        epromTotalCyclesCompareValue = valveCount.chipCount
    }

    // Reads and repairs the password file as the login page does when it opens.
    function readPasswordFile() {
        var stored = Passwords.load(fileIo, Passwords.filePath, Passwords.required, Passwords.factoryPassword)
        if (stored.flag === Passwords.switchedOff)
            passwordSwitchedOff()
    }

    Component.onCompleted: {
        readPasswordFile()
        readSettings()
        readEpromCycleCountOnValveReplace()
    }
}
