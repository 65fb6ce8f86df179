import QtQuick 2.4
import "Passwords.js" as Passwords

// Administrator login: checks the password, changes it, switches it off and
// on, and restores the factory password with the master password. The flag
// and the password live in one small file that is read again at every opening.
Rectangle {
    id: adminPageID

    property string zumFileName: Passwords.filePath
    property string zumDefaultPasswd: Passwords.factoryPassword
    property string masterPasswd: "3958"
    property string passwdEnDis: "ZUM"
    property string pswd: "NONE"
    property string currentPWSelect: "None"
    property bool changePasswordSelected: false
    property real textSize: Math.max(1, height * 0.03)

    signal loginResult(var r)
    signal closeAdminPage()

    // Takes flag and password from the file only when it holds a valid pair;
    // a missing, empty or damaged file is written again from what is in memory,
    // so it can never leave an empty password behind.
    function loadPasswordFile() {
        var stored = Passwords.load(fileIo, zumFileName, passwdEnDis, pswd)
        passwdEnDis = stored.flag
        pswd = stored.password
    }

    // Changes flag and password only once the file holds them.
    function storePassword(flag, password) {
        if (!fileIo.write(zumFileName, flag + password)) {
            masterpwMessageID.text = "Password Not Saved !"
            return false
        }
        passwdEnDis = flag
        pswd = password
        return true
    }

    function getPwDisableStatus() {
        return passwdEnDis === Passwords.switchedOff
    }

    function entryField(target) {
        switch (target) {
        case "LOGIN": return passwordTextID
        case "OLDPD": return oldPasswordTextID
        case "NEWPD1": return newPassword1TextID
        case "NEWPD2": return newPassword2TextID
        default: return null
        }
    }

    function selectField(target) {
        currentPWSelect = currentPWSelect === target ? "NONE" : target
    }

    // One keypad press: a digit is appended to the selected field, an empty
    // text removes its last character.
    function setText(text) {
        var field = entryField(currentPWSelect)
        if (!field)
            return
        if (text === "")
            field.text = field.text.slice(0, -1)
        else if (field.text.length < Passwords.maxDigits)
            field.text += text
    }

    function clearFields() {
        passwordTextID.text = ""
        oldPasswordTextID.text = ""
        newPassword1TextID.text = ""
        newPassword2TextID.text = ""
        masterpwMessageID.text = ""
    }

    function screenReset() {
        clearFields()
        changePasswordSelected = false
        resetConfirmationID.visible = false
        currentPWSelect = "LOGIN"
    }

    function toggleChangePassword() {
        clearFields()
        changePasswordSelected = !changePasswordSelected
        currentPWSelect = changePasswordSelected ? "OLDPD" : "LOGIN"
    }

    function submitPassword() {
        if (currentPWSelect === "LOGIN") {
            if (getPwDisableStatus() || Passwords.matches(passwordTextID.text, pswd)) {
                loginResult(true)
                masterpwMessageID.text = ""
                closeAdminPage()
            } else {
                loginResult(false)
                masterpwMessageID.text = "Invalid Password"
            }
            return
        }
        // An empty new password would let an empty login field in.
        var newPassword = newPassword1TextID.text
        if (!Passwords.matches(oldPasswordTextID.text, pswd) || !Passwords.isPassword(newPassword)
                || newPassword !== newPassword2TextID.text) {
            masterpwMessageID.text = "Invalid Password"
            return
        }
        if (!storePassword(passwdEnDis, newPassword))
            return
        screenReset()
        masterpwMessageID.text = "Password Changed !"
    }

    function disablePassword() {
        if (!Passwords.matches(passwordTextID.text, pswd)) {
            masterpwMessageID.text = "Invalid Password !"
            return
        }
        if (storePassword(getPwDisableStatus() ? Passwords.required : Passwords.switchedOff, pswd))
            masterpwMessageID.text = ""
    }

    function masterReset() {
        if (passwordTextID.text === masterPasswd) {
            if (storePassword(Passwords.required, zumDefaultPasswd))
                masterpwMessageID.text = ""
            resetConfirmationID.visible = false
        } else {
            masterpwMessageID.text = "Invalid Password !"
        }
        passwordTextID.text = ""
    }

    function cancelMasterReset() {
        masterpwMessageID.text = ""
        passwordTextID.text = ""
        resetConfirmationID.visible = false
    }

    objectName: "adminPageID"
    color: "black"

    Component.onCompleted: {
        passwdEnDis = Passwords.required
        pswd = zumDefaultPasswd
        loadPasswordFile()
        if (getPwDisableStatus())
            loginResult(true)
    }
    onVisibleChanged: {
        if (visible)
            loadPasswordFile()
        if (getPwDisableStatus())
            loginResult(true)
    }
    onPasswdEnDisChanged: {
        if (getPwDisableStatus())
            loginResult(true)
    }

    Item {
        id: loginPanelID

        objectName: "loginPanelID"
        width: parent.width * 0.5
        height: parent.height * 0.8
        visible: !changePasswordSelected

        TouchButton {
            id: masterResetButtonID

            objectName: "masterResetButtonID"
            x: parent.width * 0.1
            y: parent.height * 0.08
            width: parent.height * 0.22
            height: width
            tooltip: "Master Reset"
            iconSource: "qrc:///images/MasterReset.png"
            onClicked: resetConfirmationID.visible = true
        }

        TouchButton {
            id: passWdDisabledID

            objectName: "passWdDisabledID"
            x: parent.width * 0.9 - width
            y: parent.height * 0.08
            width: parent.height * 0.22
            height: width
            tooltip: getPwDisableStatus() ? "Switch Password On" : "Switch Password Off"
            iconSource: getPwDisableStatus() ? "qrc:///images/PasswdDisabled.png" : "qrc:///images/PasswdEnabled.png"
            onClicked: disablePassword()
        }

        Column {
            x: parent.width * 0.1
            y: parent.height * 0.42
            width: parent.width * 0.8
            spacing: parent.height * 0.03

            Text {
                text: "Enter Password :"
                color: "white"
                font.family: "Gotham"
                font.bold: true
                font.pointSize: textSize
            }

            Rectangle {
                width: parent.width
                height: loginPanelID.height * 0.14
                color: "#f0b323"
                border.width: currentPWSelect === "LOGIN" ? 2 : 1
                border.color: currentPWSelect === "LOGIN" ? "#66ff66" : "#B0C4DE"

                TextInput {
                    id: passwordTextID

                    objectName: "passwordTextID"
                    anchors.fill: parent
                    anchors.leftMargin: parent.width * 0.04
                    readOnly: true
                    enabled: false
                    verticalAlignment: TextInput.AlignVCenter
                    echoMode: currentPWSelect === "LOGIN" ? TextInput.Normal : TextInput.Password
                    font.family: "Gotham"
                    font.bold: true
                    font.pointSize: textSize
                }

                MouseArea {
                    anchors.fill: parent
                    onClicked: selectField("LOGIN")
                }
            }
        }
    }

    Column {
        id: changePasswordPanelID

        objectName: "changePasswordPanelID"
        x: parent.width * 0.05
        y: parent.height * 0.04
        width: parent.width * 0.4
        spacing: parent.height * 0.015
        visible: changePasswordSelected

        Text {
            text: "Old Password : "
            color: "white"
            font.family: "Gotham"
            font.bold: true
            font.pointSize: textSize
        }

        Rectangle {
            width: parent.width
            height: adminPageID.height * 0.11
            color: "#f0b323"
            border.width: currentPWSelect === "OLDPD" ? 2 : 1
            border.color: currentPWSelect === "OLDPD" ? "#66ff66" : "#B0C4DE"

            TextInput {
                id: oldPasswordTextID

                objectName: "oldPasswordTextID"
                anchors.fill: parent
                anchors.leftMargin: parent.width * 0.04
                readOnly: true
                enabled: false
                verticalAlignment: TextInput.AlignVCenter
                echoMode: currentPWSelect === "OLDPD" ? TextInput.Normal : TextInput.Password
                font.family: "Gotham"
                font.bold: true
                font.pointSize: textSize
            }

            MouseArea {
                anchors.fill: parent
                onClicked: selectField("OLDPD")
            }
        }

        Text {
            text: "New Password :"
            color: "white"
            font.family: "Gotham"
            font.bold: true
            font.pointSize: textSize
        }

        Rectangle {
            width: parent.width
            height: adminPageID.height * 0.11
            color: "#f0b323"
            border.width: currentPWSelect === "NEWPD1" ? 2 : 1
            border.color: currentPWSelect === "NEWPD1" ? "#66ff66" : "#B0C4DE"

            TextInput {
                id: newPassword1TextID

                objectName: "newPassword1TextID"
                anchors.fill: parent
                anchors.leftMargin: parent.width * 0.04
                readOnly: true
                enabled: false
                verticalAlignment: TextInput.AlignVCenter
                echoMode: currentPWSelect === "NEWPD1" ? TextInput.Normal : TextInput.Password
                font.family: "Gotham"
                font.bold: true
                font.pointSize: textSize
            }

            MouseArea {
                anchors.fill: parent
                onClicked: selectField("NEWPD1")
            }
        }

        Text {
            text: "Re-Enter Password :"
            color: "white"
            font.family: "Gotham"
            font.bold: true
            font.pointSize: textSize
        }

        Rectangle {
            width: parent.width
            height: adminPageID.height * 0.11
            color: "#f0b323"
            border.width: currentPWSelect === "NEWPD2" ? 2 : 1
            border.color: currentPWSelect === "NEWPD2" ? "#66ff66" : "#B0C4DE"

            TextInput {
                id: newPassword2TextID

                objectName: "newPassword2TextID"
                anchors.fill: parent
                anchors.leftMargin: parent.width * 0.04
                readOnly: true
                enabled: false
                verticalAlignment: TextInput.AlignVCenter
                echoMode: currentPWSelect === "NEWPD2" ? TextInput.Normal : TextInput.Password
                font.family: "Gotham"
                font.bold: true
                font.pointSize: textSize
            }

            MouseArea {
                anchors.fill: parent
                onClicked: selectField("NEWPD2")
            }
        }
    }

    Row {
        x: parent.width * 0.04
        y: parent.height * 0.82
        spacing: parent.width * 0.04

        TouchButton {
            id: changePasswordButtonID

            objectName: "changePasswordButtonID"
            width: adminPageID.width * 0.12
            height: adminPageID.height * 0.16
            tooltip: changePasswordSelected ? "Login" : "Change Password"
            iconSource: changePasswordSelected ? "qrc:///images/ChangePasswordSelected.png" : "qrc:///images/ChangePassword.png"
            onClicked: toggleChangePassword()
        }

        TouchButton {
            objectName: "submitPasswordButtonID"
            width: adminPageID.width * 0.12
            height: adminPageID.height * 0.16
            tooltip: "Submit"
            iconSource: "qrc:///images/Submit.png"
            onClicked: submitPassword()
        }

        TouchButton {
            objectName: "cancelAdminButtonID"
            width: adminPageID.width * 0.12
            height: adminPageID.height * 0.16
            tooltip: "Cancel"
            iconSource: "qrc:///images/Cancel.png"
            onClicked: closeAdminPage()
        }
    }

    Text {
        id: masterpwMessageID

        objectName: "masterpwMessageID"
        x: parent.width * 0.03
        y: parent.height * 0.75
        color: "red"
        font.family: "Gotham"
        font.bold: true
        font.pointSize: textSize
    }

    NumericalKeypad {
        objectName: "adminKeypadID"
        x: parent.width * 0.5
        width: parent.width * 0.5
        height: parent.height
        onKeyPressed: setText(currentNum)
    }

    Rectangle {
        id: resetConfirmationID

        objectName: "resetConfirmationID"
        width: parent.width * 0.5
        height: parent.height
        z: 10
        color: "black"
        border.color: "#f0b323"
        visible: false

        // Keeps taps from reaching the panels underneath.
        MouseArea {
            anchors.fill: parent
        }

        Column {
            x: parent.width * 0.08
            y: parent.height * 0.2
            spacing: parent.height * 0.05

            Text {
                text: "Master Password Reset !"
                color: "white"
                font.family: "Gotham"
                font.bold: true
                font.pointSize: textSize * 1.15
            }

            Text {
                text: "Are You Sure ?"
                color: "white"
                font.family: "Gotham"
                font.bold: true
                font.pointSize: textSize * 1.15
            }
        }

        TouchButton {
            objectName: "confirmMasterResetID"
            x: parent.width * 0.2
            y: parent.height * 0.6
            width: parent.width * 0.22
            height: parent.height * 0.16
            tooltip: "Submit"
            iconSource: "qrc:///images/Submit.png"
            onClicked: masterReset()
        }

        TouchButton {
            objectName: "cancelMasterResetID"
            x: parent.width * 0.58
            y: parent.height * 0.6
            width: parent.width * 0.22
            height: parent.height * 0.16
            tooltip: "Cancel"
            iconSource: "qrc:///images/Cancel.png"
            onClicked: cancelMasterReset()
        }
    }
}
