import QtQuick 2.4

// Stands in for the back-end facade in page tests: records every call by
// name with its arguments, the valve count's too; the held faults are set by
// the test, and the screen's own requests add to and take from them.
QtObject {
    id: fake

    property var calls: []
    property bool exeSysResult: true
    property QtObject valveCount: QtObject {
        property bool writeFailed: false

        signal changed()
        signal countWriteFailed()

        function readValve() { fake.record("readValve", arguments); return true }
        function followFittedValve() { fake.record("followFittedValve", arguments) }
        function writePending() { fake.record("writePending", arguments); return true }
    }
    property var heldFaults: []

    function record(name, args) {
        calls.push({ name: name, args: Array.prototype.slice.call(args) })
    }
    function clear() { calls = [] }
    function named(name) { return calls.filter(function (c) { return c.name === name }) }
    function count(name) { return named(name).length }
    function last(name) { var n = named(name); return n.length ? n[n.length - 1].args : undefined }

    function exeSys(comm) { record("exeSys", arguments); return exeSysResult }
    function thLogOTError(errorType, heatingOn, heatingActive, setpoint, temperature) { record("thLogOTError", arguments) }
    function setRunConfig(cycMode, cycDelay, seqMode, seqStart, seqEnd) { record("setRunConfig", arguments) }
    function sendTriggerModeFromGUI(triggerModeCamera) { record("sendTriggerModeFromGUI", arguments) }
    function setNozzleHeater(state) { record("setNozzleHeater", arguments) }
    function gotCallForShutDown(inp, state) {
        record("gotCallForShutDown", arguments)
        var rest = heldFaults.filter(function (f) { return f !== inp })
        heldFaults = state ? rest.concat([inp]) : rest
    }
    function iotStart(mc, hostName, port) { record("iotStart", arguments) }
    function sendStartCalibrationSignal() { record("sendStartCalibrationSignal", arguments) }
    function stopCalibration() { record("stopCalibration", arguments) }
}
