import QtQuick 2.4
import "SettingsRules.js" as Rules

// How a run repeats: repeat mode with its delay, sequence mode with its start
// and end. The numbers stay text as typed; the settings page stores and sends
// them when the operator submits.
Rectangle {
    id: runSettingsPage

    property string currentSelection: "DEL"
    property string loc_RepeatDelay: "0"
    property bool loc_RepeatSelected: false
    property bool loc_SequenceSelected: false
    property string loc_seqStart: "1"
    property string loc_seqEnd: "1"
    property string message: ""
    property real fontsizeqml: height > 0 ? height * 0.051 : 1

    signal saveRunConfig()
    signal closeRunSettingsPage()

    // Loads the five stored values; a sequence never submitted shows 1 to 1.
    function startUp(repEn, repDel, seqEn, seqStart, seqEnd) {
        loc_RepeatSelected = repEn === true
        loc_RepeatDelay = repDel === undefined ? "0" : String(repDel)
        loc_SequenceSelected = seqEn === true
        loc_seqStart = seqStart === undefined ? "1" : String(seqStart)
        loc_seqEnd = seqEnd === undefined ? "1" : String(seqEnd)
        message = ""
    }

    function setText(updatedText) {
        var key = updatedText === undefined || updatedText === null ? "" : String(updatedText)
        if (currentSelection === "DEL")
            loc_RepeatDelay = Rules.runFieldInput("DEL", loc_RepeatDelay, key)
        else if (currentSelection === "SEQS")
            loc_seqStart = Rules.runFieldInput("SEQS", loc_seqStart, key)
        else if (currentSelection === "SEQE")
            loc_seqEnd = Rules.runFieldInput("SEQE", loc_seqEnd, key)
    }

    // Submits only a sequence the control core can run; otherwise says why.
    // A sequence that is off is stored as typed.
    function updateRunConfig() {
        var problem = Rules.runConfigProblem(loc_SequenceSelected, loc_seqStart, loc_seqEnd)
        message = problem
        if (problem !== "")
            return false
        saveRunConfig()
        return true
    }

    color: "black"

    Item {
        id: fieldsID

        width: parent.width * 0.5
        height: parent.height
        enabled: !runInProgressState

        Repeater {
            model: [
                { label: "Delay (ms)", field: "DEL", y: 0.03, x: 0.05, w: 0.9 },
                { label: "", field: "SEQS", y: 0.45, x: 0.05, w: 0.4 },
                { label: "", field: "SEQE", y: 0.45, x: 0.55, w: 0.4 }
            ]

            Item {
                x: modelData.x * fieldsID.width
                y: modelData.y * fieldsID.height
                width: modelData.w * fieldsID.width
                height: fieldsID.height * 0.2

                Text {
                    visible: modelData.label !== ""
                    height: parent.height * 0.4
                    text: modelData.label
                    color: "white"
                    font.family: "Gotham"
                    font.bold: true
                    font.pixelSize: fontsizeqml * 0.9
                }

                Rectangle {
                    objectName: modelData.field === "DEL" ? "delayFieldID" : modelData.field === "SEQS" ? "seqStartFieldID" : "seqEndFieldID"
                    y: modelData.label !== "" ? parent.height * 0.45 : 0
                    width: parent.width
                    height: parent.height * (modelData.label !== "" ? 0.55 : 0.6)
                    color: "#0a2929"
                    border.width: currentSelection === modelData.field ? 2 : 1
                    border.color: currentSelection === modelData.field ? "#66ff66" : "#B0C4DE"

                    Text {
                        anchors.centerIn: parent
                        color: "white"
                        font.family: "Gotham"
                        font.bold: true
                        font.pixelSize: fontsizeqml
                        text: modelData.field === "DEL" ? loc_RepeatDelay : modelData.field === "SEQS" ? loc_seqStart : loc_seqEnd
                    }

                    MouseArea {
                        anchors.fill: parent
                        onClicked: currentSelection = modelData.field
                    }
                }
            }
        }

        Text {
            objectName: "sequenceLabelID"
            x: parent.width * 0.05
            y: parent.height * 0.27
            text: loc_SequenceSelected ? "Sequence Enabled" : "Sequence Disabled"
            color: "white"
            font.family: "Gotham"
            font.bold: true
            font.pixelSize: fontsizeqml * 0.9
        }

        Text {
            objectName: "repeatLabelID"
            x: parent.width * 0.05
            y: parent.height * 0.7
            text: loc_RepeatSelected ? "Repeat Enabled" : "Repeat Disabled"
            color: "white"
            font.family: "Gotham"
            font.bold: true
            font.pixelSize: fontsizeqml * 0.9
        }

        Repeater {
            model: [
                { name: "sequenceIconID", x: 0.75, y: 0.24, tip: "Sequence" },
                { name: "repeatIconID", x: 0.75, y: 0.66, tip: "Repeat" },
                { name: "submitIconID", x: 0.05, y: 0.82, tip: "Submit" },
                { name: "cancelIconID", x: 0.55, y: 0.82, tip: "Cancel" }
            ]

            TouchButton {
                objectName: modelData.name
                x: modelData.x * fieldsID.width
                y: modelData.y * fieldsID.height
                width: modelData.name === "sequenceIconID" || modelData.name === "repeatIconID" ? fieldsID.width * 0.2 : fieldsID.width * 0.4
                height: fieldsID.height * 0.16
                tooltip: modelData.tip
                iconSource: {
                    switch (modelData.name) {
                    case "sequenceIconID": return loc_SequenceSelected ? "qrc:///images/Sequence.png" : "qrc:///images/SequenceNot.png"
                    case "repeatIconID": return loc_RepeatSelected ? "qrc:///images/Repeat.png" : "qrc:///images/RepeatNot.png"
                    case "submitIconID": return "qrc:///images/Submit.png"
                    default: return "qrc:///images/Cancel.png"
                    }
                }
                onClicked: {
                    switch (modelData.name) {
                    case "sequenceIconID": loc_SequenceSelected = !loc_SequenceSelected; break
                    case "repeatIconID": loc_RepeatSelected = !loc_RepeatSelected; break
                    case "submitIconID": updateRunConfig(); break
                    default: closeRunSettingsPage()
                    }
                }
            }
        }

        Text {
            objectName: "runSettingsMessageID"
            x: parent.width * 0.05
            y: parent.height * 0.59
            width: parent.width * 0.9
            text: message
            wrapMode: Text.WordWrap
            color: "#ff6666"
            font.family: "Gotham"
            font.bold: true
            font.pixelSize: fontsizeqml * 0.6
        }
    }

    NumericalKeypad {
        objectName: "runSettingsKeypadID"
        x: parent.width * 0.5
        width: parent.width * 0.5
        height: parent.height
        enabled: !runInProgressState
        onKeyPressed: setText(currentNum)
    }
}
