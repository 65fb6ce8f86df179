import QtQuick 2.4

// Pass/fail confirmation: the icon grows every half second until it nearly
// fills the host, then reports done; the host hides it.
Rectangle {
    id: thumbsUpRootID

    property bool isPassed: true

    signal thumbsUpDone()

    function centreIcon() {
        thumbIconID.x = (width - thumbIconID.width) / 2
        thumbIconID.y = (height - thumbIconID.height) / 2
    }

    function callThumbsUp(status) {
        isPassed = status
        thumbIconID.width = height * 0.3
        thumbIconID.height = height * 0.3
        centreIcon()
        growTimerID.restart()
    }

    function grow() {
        thumbIconID.width += 100
        thumbIconID.height += 100
        centreIcon()
        if (thumbIconID.height >= height * 0.9) {
            growTimerID.stop()
            thumbsUpDone()
        }
    }

    anchors.fill: parent
    z: 1000
    color: "transparent"

    Image {
        id: thumbIconID

        objectName: "thumbIconID"
        source: thumbsUpRootID.isPassed ? "qrc:///images/ThumbsUp.png" : "qrc:///images/Failed.png"
        fillMode: Image.PreserveAspectFit
    }

    Timer {
        id: growTimerID

        objectName: "growTimerID"
        interval: 500
        repeat: true
        onTriggered: thumbsUpRootID.grow()
    }
}
