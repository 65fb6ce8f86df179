import QtQuick 2.4

// Seven-digit roller editor for one dispense parameter: each column steps its
// own digit up or down (wrapping, no carry); the host applies the limits on save.
Rectangle {
    id: scrollNumbersID

    property real fontsizeqml: Math.max(1, height * 0.15)
    property string currentNumber: "0.0"
    property bool boolIsInt: false
    property int ident: 0
    property real scrollOffset: 0
    property int decimals: 0
    // Columns hidden on the left by the parameter layout.
    property int hiddenLeading: 0
    readonly property real columnWidth: width * 0.08
    readonly property real dotWidth: boolIsInt ? 0 : columnWidth * 0.5
    readonly property var columns: [thousandID, hundredID, tenID, oneID, decOneID, decTenID, decHunID]

    signal save(real n, int id)
    signal cancelScrollPage()

    // Icon, hidden leading columns and shift for each parameter id.
    function layoutFor(id) {
        var layouts = {
            1: ["Cycle.png", 0, 0],
            2: ["Dwell.png", 3, 1.5],
            3: ["DutyCycle.png", 4, 2],
            4: ["RiseTime.png", 3, 1.5],
            5: ["FallTime.png", 3, 1.5],
            6: ["Delay.png", 1, 0.5],
            7: ["nozTemp.png", 5, 2.5],
            8: ["Tuning.png", 0, 0]
        }
        return layouts[id] || ["Blank_Gray.png", 0, 0]
    }

    function setCurrentNumber(id, n, deci) {
        var value = Number(n)
        // "NaN" and anything else that is not a plain number load as 0; the
        // editor cannot show a sign, so negatives load as 0 as well.
        if (n === null || n === undefined || String(n).trim() === "" || !isFinite(value) || value < 0)
            value = 0

        var layout = layoutFor(id)
        paramIconID.source = "qrc:///images/" + layout[0]
        paramIconID.opacity = layout[0] === "Blank_Gray.png" ? 0.01 : 0.99
        hiddenLeading = layout[1]
        scrollOffset = layout[2]
        ident = id
        decimals = deci > 0 ? deci : 0

        var text
        if (decimals > 0) {
            boolIsInt = false
            // Two integer digits and three decimals is all the editor holds.
            text = Math.min(value, 99.999).toFixed(3)
            if (text.charAt(1) === ".")
                text = "0" + text
            text = "00" + text.charAt(0) + text.charAt(1) + text.charAt(3) + text.charAt(4) + text.charAt(5)
            hiddenLeading = Math.max(hiddenLeading, 2)
            scrollOffset = Math.max(scrollOffset, 1)
        } else {
            boolIsInt = true
            // Seven columns hold at most 9999999; a larger value loads as that
            // maximum rather than losing its last digits.
            text = String(Math.min(Math.round(value), 9999999))
            while (text.length < 7)
                text = "0" + text
        }
        for (var i = 0; i < 7; ++i)
            columns[i].digit = Number(text.charAt(i))
        currentNumber = composeText()
    }

    function composeText() {
        var digits = columns.map(function (c) { return c.digit })
        if (boolIsInt)
            return digits.join("")
        return digits[2] + "" + digits[3] + "." + digits[4] + digits[5] + digits[6]
    }

    function saveNumber() {
        currentNumber = composeText()
        save(Number(currentNumber), ident)
    }

    objectName: "scrollNumbersID"
    color: "black"
    opacity: 0.85

    component DigitColumn: Item {
        id: column

        property int position: 0
        property int digit: 0

        function step(delta) {
            digit = (digit + delta + 10) % 10
            scrollNumbersID.currentNumber = scrollNumbersID.composeText()
        }

        x: scrollNumbersID.width * 0.17
           + (position - scrollNumbersID.scrollOffset) * scrollNumbersID.columnWidth
           + (position >= 4 ? scrollNumbersID.dotWidth : 0)
        y: scrollNumbersID.height * 0.05
        width: scrollNumbersID.columnWidth
        height: scrollNumbersID.height * 0.9
        visible: position >= scrollNumbersID.hiddenLeading
                 && (scrollNumbersID.decimals === 0 || position - 3 <= scrollNumbersID.decimals)

        TouchButton {
            objectName: "up"
            width: parent.width
            height: parent.height * 0.3
            tooltip: "+"
            iconSource: "qrc:///images/Up.png"
            iconMargin: 0
            onClicked: column.step(1)
        }

        Rectangle {
            y: parent.height * 0.32
            width: parent.width * 0.9
            height: parent.height * 0.36
            anchors.horizontalCenter: parent.horizontalCenter
            color: "#f0b323"

            Text {
                objectName: "digit"
                anchors.centerIn: parent
                text: column.digit
                color: "black"
                font.family: "Gotham"
                font.bold: true
                font.pixelSize: scrollNumbersID.fontsizeqml * 0.8
            }
        }

        TouchButton {
            objectName: "down"
            y: parent.height * 0.7
            width: parent.width
            height: parent.height * 0.3
            tooltip: "-"
            iconSource: "qrc:///images/Down.png"
            iconMargin: 0
            onClicked: column.step(-1)
        }
    }

    Image {
        id: paramIconID

        objectName: "paramIconID"
        x: parent.width * 0.02
        width: parent.width * 0.13
        height: width
        anchors.verticalCenter: parent.verticalCenter
        source: "qrc:///images/Blank_Gray.png"
        opacity: 0.01
        fillMode: Image.PreserveAspectFit
    }

    DigitColumn { id: thousandID; objectName: "thousandID"; position: 0 }
    DigitColumn { id: hundredID; objectName: "hundredID"; position: 1 }
    DigitColumn { id: tenID; objectName: "tenID"; position: 2 }
    DigitColumn { id: oneID; objectName: "oneID"; position: 3 }
    DigitColumn { id: decOneID; objectName: "decOneID"; position: 4 }
    DigitColumn { id: decTenID; objectName: "decTenID"; position: 5 }
    DigitColumn { id: decHunID; objectName: "decHunID"; position: 6 }

    Text {
        objectName: "decimalPoint"
        x: scrollNumbersID.width * 0.17 + (4 - scrollNumbersID.scrollOffset) * scrollNumbersID.columnWidth
        width: scrollNumbersID.dotWidth
        anchors.verticalCenter: parent.verticalCenter
        visible: !scrollNumbersID.boolIsInt
        horizontalAlignment: Text.AlignHCenter
        text: "."
        color: "#f0b323"
        font.family: "Gotham"
        font.bold: true
        font.pixelSize: scrollNumbersID.fontsizeqml
    }

    TouchButton {
        id: saveIconID

        objectName: "saveIconID"
        x: parent.width * 0.84
        y: parent.height * 0.1
        width: parent.width * 0.13
        height: Math.min(width, parent.height * 0.35)
        tooltip: "Save"
        iconSource: "qrc:///images/Submit.png"
        iconMargin: 0
        onClicked: scrollNumbersID.saveNumber()
    }

    TouchButton {
        id: closeIconID

        objectName: "closeIconID"
        x: saveIconID.x
        // Above the window's emergency stop, which stays over the bottom corner.
        y: parent.height * 0.45
        width: saveIconID.width
        height: saveIconID.height
        tooltip: "Close"
        iconSource: "qrc:///images/Cancel.png"
        iconMargin: 0
        onClicked: scrollNumbersID.cancelScrollPage()
    }
}
