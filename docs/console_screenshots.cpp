#include "ConsoleFixture.h"

#include <QApplication>

// Brings the console's pages and states on screen against the simulators,
// as an operator would reach them, and saves a picture of each.
// Usage (through tests/run_in_root.sh): console_screenshots OUTPUT-DIR
namespace {

ConsoleFixture *fx = nullptr;
QString outDir;

void shoot(const char *name)
{
    QTest::qWait(400);
    const QImage image = fx->window()->grabWindow();
    if (image.isNull())
        qWarning() << "empty picture of" << name;
    const QString file = outDir + QLatin1Char('/') + QLatin1String(name) + QStringLiteral(".png");
    if (!image.save(file))
        qWarning() << "cannot save" << file;
    else
        qInfo().noquote() << "saved" << file;
}

void clickAll(std::initializer_list<const char *> names)
{
    for (const char *name : names) {
        fx->click(name);
        QTest::qWait(300);
    }
}

} // namespace

int main(int argc, char *argv[])
{
    QApplication app(argc, argv);
    testroot::prepare();
    if (argc < 2) {
        qCritical("usage: console_screenshots OUTPUT-DIR");
        return 2;
    }
    outDir = QString::fromLocal8Bit(argv[1]);
    QDir().mkpath(outDir);
    ConsoleFixture fixture;
    fx = &fixture;
    testroot::writeFile("/media/data/1JV.profile",
                        "{\"programValue\":1,\"dispenseCycles\":\"5000\",\"dwell\":\"250\",\"dutyCycle\":\"80\","
                        "\"riseTime\":\"80\",\"fallTime\":\"80\",\"delay\":\"1000\",\"cycleCount\":\"0\",\"mode\":0,"
                        "\"nozTemp\":\"45\",\"nozTempState\":false,\"tuning\":\"0\"}");
    if (!fx->startSimulators() || !fx->startConsole())
        return 1;
    fx->sysfs.setNozzleTemp(44);
    fx->sysfs.setPiezoTemp(48);
    QTest::qWait(2500); // past the start-up wait banner
    shoot("operating-screen");

    fx->board->setRunLengthOverride(20000);
    fx->click("runButtonID");
    (void)QTest::qWaitFor([] { return fx->property("mainWindow", "runInProgressState").toBool(); }, 3000);
    shoot("run-in-progress");
    fx->click("runButtonID");
    (void)QTest::qWaitFor([] { return !fx->property("mainWindow", "runInProgressState").toBool(); }, 5000);
    QTest::qWait(2000);

    fx->click("programSelect");
    clickAll({"numberPadToSetProfileID/key1", "numberPadToSetProfileID/key2"});
    shoot("profile-keypad");
    fx->click("profileKeypadCancelID");

    fx->click("loginButtonID");
    shoot("login-page");
    fx->setProperty("mainWindow", "adminControl", true);
    fx->call("loginPageID", "screenReset");
    fx->setProperty("loginPageID", "visible", false);

    fx->click("dwellTileID");
    shoot("parameter-editor");
    fx->setProperty("scrollNumbersID", "visible", false);

    fx->click("settingsButtonID");
    shoot("settings");
    fx->click("runSettingsIconID");
    shoot("run-settings");
    fx->setProperty("runSettingsID", "visible", false);
    fx->click("remoteServerIconID");
    shoot("remote-server");
    fx->setProperty("commConfigID", "visible", false);
    fx->run(QStringLiteral("settingsPageID.wifiSettingsPage().visible = true"));
    shoot("wifi");
    fx->setProperty("wifiSettingsID", "visible", false);
    fx->click("currentProgramButtonID");

    fx->click("programButtonID");
    shoot("calibration");
    fx->call("calibarationID", "informCalibrationDone");
    fx->setProperty("calibarationID", "visible", false);
    QTest::qWait(2500);

    fx->board->setFaultMode(sim::BoardFault::Silent);
    fx->click("rightArrowID");
    (void)QTest::qWaitFor([] { return fx->item("popUpID")->isVisible(); }, 8000);
    shoot("fault-popup");
    fx->board->setFaultMode(sim::BoardFault::None);
    fx->click("popUpID");
    return 0;
}
