#include "PageActions.h"

#include "ElfSamples.h"

#include <QEventLoop>
#include <QTimer>

namespace pageactions {

namespace {

bool type(ConsoleFixture &fx, const char *keypad, const char *digits)
{
    for (const char *digit = digits; *digit; ++digit) {
        if (!fx.click((QByteArray(keypad) + "/key" + *digit).constData()))
            return false;
    }
    return true;
}

QString text(ConsoleFixture &fx, const char *item, const char *property = "text")
{
    return fx.property(item, property).toString();
}

bool shown(ConsoleFixture &fx, const char *item)
{
    const QQuickItem *found = fx.item(item);
    return found && found->isVisible();
}

// A stick the fake mount tool accepts, holding `files` besides what is there.
void insertStick(const QList<QPair<const char *, QByteArray>> &files)
{
    testroot::writeFile("/dev/sda1", "");
    testroot::writeFile("/sim/mountable", "/dev/sda1\n");
    for (const auto &file : files)
        testroot::writeFile(file.first, file.second);
}

bool joinWifi(ConsoleFixture &fx, const char *ssid)
{
    fx.setProperty("wifiConnectionID", "connectionStatus", false);
    fx.call("wifiSettingsID", "selectNetwork", {QString::fromLatin1(ssid)});
    fx.call("wifiSettingsID", "connectToWifi");
    return text(fx, "wifiSettingsID", "currentSSID") == QLatin1String(ssid);
}

} // namespace

QList<PageAction> all()
{
    return {
        {"log in",
         [](ConsoleFixture &fx) {
             return fx.click("loginButtonID") && type(fx, "loginPageID", "4172") && fx.click("submitPasswordButtonID");
         },
         [](ConsoleFixture &fx) {
             return fx.property("mainWindow", "adminControl").toBool() && !shown(fx, "loginPageID");
         }},
        {"settings submit",
         [](ConsoleFixture &fx) {
             return fx.click("settingsButtonID") && fx.click("runSettingsIconID") && fx.click("runSettingsID/submitIconID");
         },
         [](ConsoleFixture &fx) { return !shown(fx, "runSettingsID") && !shown(fx, "waitBannerID"); }},
        {"remote address change",
         [](ConsoleFixture &fx) { return fx.click("remoteServerIconID") && fx.click("commSubmitButtonID"); },
         [](ConsoleFixture &fx) { return !shown(fx, "commConfigID") && !shown(fx, "waitBannerID"); }},
        {"address lookup",
         [](ConsoleFixture &fx) {
             fx.setProperty("mainWindow", "ip", QStringLiteral("0.0.0.0"));
             fx.call("settingsPageID", "refreshAddresses");
             return true;
         },
         [](ConsoleFixture &fx) { return text(fx, "mainWindow", "ip") != QLatin1String("0.0.0.0"); }},
        {"log export",
         [](ConsoleFixture &fx) {
             insertStick({});
             return fx.click("cycleIconID") && fx.click("cycleExportButtonID");
         },
         [](ConsoleFixture &fx) { return text(fx, "messageLineID") == QLatin1String("+"); }},
        {"Wi-Fi scan",
         [](ConsoleFixture &fx) {
             // Nothing on the settings page opens the Wi-Fi page.
             fx.run(QStringLiteral("settingsPageID.wifiSettingsPage()"));
             fx.setProperty("wifiSettingsID", "currentSSID", QStringLiteral("NIL"));
             fx.call("wifiSettingsID", "scanWifi");
             return true;
         },
         [](ConsoleFixture &fx) { return text(fx, "wifiSettingsID", "currentSSID") == QLatin1String("ZumLab"); }},
        {"Wi-Fi join, open network", [](ConsoleFixture &fx) { return joinWifi(fx, "ZumGuest"); },
         [](ConsoleFixture &fx) {
             return text(fx, "wifiConnectionID", "statusText") == QLatin1String("Connected to ZumGuest");
         }},
        {"Wi-Fi join, pass phrase from a stick",
         [](ConsoleFixture &fx) {
             insertStick({{"/media/usb/password.txt", "longpassword1\n"}});
             return joinWifi(fx, "ZumLab");
         },
         [](ConsoleFixture &fx) {
             return text(fx, "wifiConnectionID", "statusText") == QLatin1String("Connected to ZumLab");
         }},
        {"calibration start",
         [](ConsoleFixture &fx) {
             fx.board->clearLog();
             return fx.click("programButtonID") && fx.click("calibStartButtonID");
         },
         [](ConsoleFixture &fx) { return fx.wire().contains("P20:"); }},
        // Last: the reboot countdown that follows holds the window.
        {"update from a stick",
         [](ConsoleFixture &fx) {
             // A real ARM program, grown to the size of the console's.
             QByteArray program = elfsample::read("program-pie");
             program.append(QByteArray((1 << 20) - program.size(), '\0'));
             insertStick({{"/media/usb/JET_VALVE/zumvalvecontroller", program}});
             return fx.click("calibCloseButtonID") && fx.click("usbIconID") && fx.click("updateSubmitIconID");
         },
         [](ConsoleFixture &fx) { return text(fx, "messageLineID") == QLatin1String("System rebooting..."); }},
    };
}

void layOutRoot()
{
    testroot::writeFile("/sim/dmesg.out", "[2.345678] zuvc_init 1.0.7\n");
}

void setToolDelays(const QList<QPair<QByteArray, QByteArray>> &delays)
{
    for (const auto &delay : delays)
        qputenv("ZUM_SIM_DELAY_" + delay.first, delay.second);
}

bool runUntil(const std::function<bool()> &ended, int timeoutMs)
{
    QEventLoop loop;
    QTimer poll;
    poll.setTimerType(Qt::PreciseTimer);
    QObject::connect(&poll, &QTimer::timeout, &loop, [&] {
        if (ended())
            loop.quit();
    });
    QTimer::singleShot(timeoutMs, &loop, &QEventLoop::quit);
    poll.start(5);
    if (!ended())
        loop.exec();
    return ended();
}

} // namespace pageactions
