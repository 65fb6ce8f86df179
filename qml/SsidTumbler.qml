import QtQuick 2.4
import QtQuick.Controls.Styles 1.4
import QtQuick.Extras 1.4

// The Wi-Fi page's wheel of network names. It lives in a file of its own so
// that Qt Quick Extras is loaded when the page is first shown, not at every
// start of the console.
Tumbler {
    id: ssidTumblerID

    property var names: []
    property real fontSize: 12

    // The operator turned the wheel to `index`.
    signal picked(int index)

    objectName: "ssidTumblerID"

    style: TumblerStyle {
        visibleItemCount: 5

        delegate: Item {
            implicitHeight: (ssidTumblerID.height - padding.top - padding.bottom) / 5

            Text {
                anchors.fill: parent
                anchors.margins: 4
                horizontalAlignment: Text.AlignHCenter
                verticalAlignment: Text.AlignVCenter
                elide: Text.ElideRight
                text: styleData.value
                color: styleData.current ? "black" : "#555555"
                font.family: "Gotham"
                font.bold: styleData.current
                font.pixelSize: ssidTumblerID.fontSize
            }
        }
    }

    TumblerColumn {
        model: ssidTumblerID.names
        width: ssidTumblerID.width
        onCurrentIndexChanged: ssidTumblerID.picked(currentIndex)
    }
}
