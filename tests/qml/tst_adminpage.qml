import QtQuick 2.4
import QtTest 1.1
import com.zum.qml 1.0
import "harness"
import "../../qml"

// Stands in for the main window around the administration page.
Item {
    id: root

    property bool adminControl: false
    readonly property string file: "/media/data/zumInfoDat.dat"

    width: 480
    height: 272

    FileIo { id: fileIo }
    FakeThreadHandler { id: handleThread }

    Component {
        id: pageComponent

        AdminPage {
            x: root.width * 0.15
            width: root.width * 0.85
            height: root.height
            visible: false
            onLoginResult: adminControl = r
        }
    }

    TestCase {
        name: "AdminPage"
        when: windowShown

        function store(text) {
            if (text === "")
                fileIo.exeSys("rm -f " + root.file)
            else
                fileIo.write(root.file, text)
        }

        // Creates the page over a stored file ("" = no file) and opens it.
        function openPage(stored) {
            store(stored)
            adminControl = false
            var page = createTemporaryObject(pageComponent, root)
            page.visible = true
            return page
        }

        function type(page, target, keys) {
            page.currentPWSelect = target
            for (var i = 0; i < keys.length; ++i)
                page.setText(keys[i] === "<" ? "" : keys[i])
        }

        function tryLogin(page, code) {
            page.screenReset()
            type(page, "LOGIN", code)
            adminControl = false
            page.submitPassword()
            return adminControl
        }

        // stored: file at program start; later: file found at the next opening
        // (null = untouched, "" = deleted); then the file and one login attempt.
        function test_passwordFile_data() {
            return [
                { tag: "wrong code refused", stored: "", later: null, file: "ZUM4172", code: "4712", granted: false },
                { tag: "switched off at start", stored: "NOK55", later: null, file: "NOK55", code: "", granted: true },
                { tag: "broken flag repaired", stored: "ZU?1234", later: null, file: "ZUM1234", code: "1234", granted: true },
                { tag: "long password kept", stored: "ZUM12345678901234567890", later: null,
                  file: "ZUM12345678901234567890", code: "12345678901234567890", granted: true },
                { tag: "empty password replaced", stored: "ZUM", later: null, file: "ZUM4172", code: "", granted: false },
                { tag: "deleted while running", stored: "ZUM98", later: "", file: "ZUM98", code: "", granted: false },
                { tag: "damaged while running", stored: "ZUM98", later: "NOK", file: "ZUM98", code: "98", granted: true }
            ]
        }

        function test_passwordFile(data) {
            var page = openPage(data.stored)
            if (data.later !== null) {
                page.visible = false
                store(data.later)
                page.visible = true
            }
            compare(fileIo.read(root.file), data.file)
            compare(tryLogin(page, data.code), data.granted)
        }

        // Each step types keys into a field ([target, keys], "<" erases) or
        // calls a page function; then the file (and what the page holds), the
        // message and the state.
        function test_actions_data() {
            var unwritable = function (page) { page.zumFileName = "/media/data/missing/zumInfoDat.dat" }
            return [
                { tag: "master reset", stored: "NOK98", steps: [["LOGIN", "3958"], "masterReset"],
                  file: "ZUM4172", message: "", off: false },
                { tag: "master reset wrong code", stored: "ZUM98", steps: [["LOGIN", "3959"], "masterReset"],
                  file: "ZUM98", message: "Invalid Password !", off: false },
                { tag: "change", stored: "ZUM4172",
                  steps: ["toggleChangePassword", ["OLDPD", "4172"], ["NEWPD1", "56<5"], ["NEWPD2", "55"], "submitPassword"],
                  file: "ZUM55", message: "Password Changed !", off: false },
                { tag: "change to empty refused", stored: "ZUM4172",
                  steps: ["toggleChangePassword", ["OLDPD", "4172"], "submitPassword"],
                  file: "ZUM4172", message: "Invalid Password", off: false },
                { tag: "switch off", stored: "ZUM4172", steps: [["LOGIN", "4172"], "disablePassword"],
                  file: "NOK4172", message: "", off: true },
                { tag: "switch off and on", stored: "ZUM4172", steps: [["LOGIN", "4172"], "disablePassword", "disablePassword"],
                  file: "ZUM4172", message: "", off: false },
                { tag: "change not saved", stored: "ZUM4172",
                  steps: [unwritable, "toggleChangePassword", ["OLDPD", "4172"], ["NEWPD1", "1"], ["NEWPD2", "1"], "submitPassword"],
                  file: "ZUM4172", message: "Password Not Saved !", off: false },
                { tag: "switch off wrong code", stored: "ZUM4172", steps: [["LOGIN", "417"], "disablePassword"],
                  file: "ZUM4172", message: "Invalid Password !", off: false }
            ]
        }

        function test_actions(data) {
            var page = openPage(data.stored)
            page.screenReset()
            for (var i = 0; i < data.steps.length; ++i) {
                var step = data.steps[i]
                if (typeof step === "string")
                    page[step]()
                else if (typeof step === "function")
                    step(page)
                else
                    type(page, step[0], step[1])
            }
            compare(fileIo.read(root.file), data.file)
            compare(page.passwdEnDis + page.pswd, data.file)
            compare(findChild(page, "masterpwMessageID").text, data.message)
            compare(page.getPwDisableStatus(), data.off)
            verify(String(findChild(page, "passWdDisabledID").iconSource).indexOf(data.off ? "PasswdDisabled" : "PasswdEnabled") > 0)
            if (data.off)
                verify(adminControl)
        }
    }
}
