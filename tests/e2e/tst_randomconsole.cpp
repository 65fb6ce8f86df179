#include "ConsoleFixture.h"

#include "PushedProfile.h"
#include "SimControl.h"
#include "ThreadHandler.h"

#include <QDir>
#include <QJsonDocument>
#include <QJsonObject>
#include <QProcess>
#include <QRandomGenerator>

#include <cstdio>
#include <tuple>
#include <utility>

// Random operator, board, valve and server events on the whole console, each
// followed by what must always hold. Each list runs in a fresh process (the
// input thread and the serial link live as long as it); a failing one is cut
// down to the shortest that still fails. ZUM_RANDOM_SEEDS="1 2 3" and
// ZUM_RANDOM_EVENTS choose the runs; "& ": before the last event settled.
namespace {

QString one(QRandomGenerator &r, const QStringList &choices) { return choices.at(int(r.bounded(choices.size()))); }

// Good pushes hold numbers, some beyond their limits (stored at the nearest);
// bad ones hold what the console must refuse.
QString pushEvent(QRandomGenerator &r)
{
    const int n = 1 + int(r.bounded(6));
    QString text = one(r, {"{\"programValue\":%1,\"dwell\":\"12000\",\"dutyCycle\":\"fast\"}", "{}", "{\"programValue\":%1,",
                           "{\"programValue\":0,\"dwell\":\"12000\"}", "{\"programValue\":%1,\"nozTempState\":\"maybe\"}"});
    if (r.bounded(3) == 0)
        return QStringLiteral("server push %1 ").arg(r.bounded(6) ? n : 60) + text.replace("%1", QString::number(n));
    QJsonObject p{{"programValue", n}, {"mode", r.bounded(10) ? 0 : 1}, {"nozTempState", r.bounded(3) == 0}};
    static const struct { const char *key; int low, high; } fields[] = { // runs kept short
        {"dispenseCycles", 1, 300}, {"dwell", 1, 9999}, {"dutyCycle", 1, 100}, {"riseTime", 80, 1999},
        {"fallTime", 80, 1999}, {"delay", 1, 5000}, {"nozTemp", 14, 90}, {"tuning", 1, 9}};
    for (const auto &f : fields) {
        const int v = f.low - 20 + int(r.bounded(f.high - f.low + 41));
        p.insert(f.key, r.bounded(2) ? QJsonValue(v) : QJsonValue(QString::number(v)));
    }
    return QStringLiteral("server push %1 ").arg(n) + QJsonDocument(p).toJson(QJsonDocument::Compact);
}

// Recoveries are likelier than faults, so that the valve is free often enough to run.
QString randomEvent(QRandomGenerator &r)
{
    int pick = int(r.bounded(39));
    const auto take = [&pick](int weight) { return (pick -= weight) < 0; };
    const auto temp = [&r](const char *channel, const char *normal, const QStringList &faults) {
        return QStringLiteral("temp %1 ").arg(channel) + (r.bounded(5) ? QString(normal) : one(r, faults));
    };
    if (take(3)) return temp("piezo", "25", {"50", "82", "86", "95", "raw 65535", "empty"});
    if (take(2)) return temp("amp", "30", {"60", "87", "92", "raw 65535", "empty"});
    if (take(2)) return temp("boost", "30", {"82", "88", "raw 65535", "empty"});
    if (take(1)) return temp("nozzle", "25", {"40", "60", "110", "2", "raw 65535", "empty"});
    if (take(2)) return one(r, {"db9 open", "db9 close", "db9 close", "db9 close", "db9 close"});
    if (take(1)) return "click eStopButtonID";
    if (take(3)) return "click resetBannerButtonID";
    if (take(2)) return "board " + one(r, {"normal", "normal", "normal", "silent", "silent 3", "wrong-echo", "wrong-echo 2", "split-echo"});
    if (take(2)) return QStringLiteral("board report %1").arg(r.bounded(8) ? 1 + r.bounded(5000) : r.bounded(2) ? 20000 + r.bounded(200000) : 9999999999);
    if (take(3)) return "click popUpID/closeIconID";
    if (take(2)) return QStringLiteral("keypad %1").arg(1 + (r.bounded(4) ? r.bounded(6) : r.bounded(50)));
    if (take(2)) return one(r, {"click rightArrowID", "click leftArrowID"});
    if (take(6)) return "click runButtonID";
    if (take(1)) return QStringLiteral("purge %1").arg(r.bounded(4) ? 100 + r.bounded(900) : 0);
    if (take(1)) return "click valveButtonID";
    if (take(2)) return pushEvent(r);
    if (take(2) && r.bounded(3) == 0) return one(r, {"eeprom unplug", QStringLiteral("eeprom replug %1").arg(r.bounded(8))});
    if (pick < 0)
        return QStringLiteral("eeprom plug good %1 %2").arg(r.bounded(4) ? r.bounded(3000000) : ValveCount::maxCount - r.bounded(300000))
            .arg(QString::number(r.generate64() & 0xffffffffffffULL, 16).rightJustified(12, '0'));
    return QStringLiteral("wait %1").arg(200 + r.bounded(1800));
}

QStringList randomEvents(quint32 seed, int count)
{
    QRandomGenerator r(seed);
    QStringList events;
    for (QString event; events.size() < count; events << (r.bounded(8) == 0 && !event.startsWith("eeprom") ? "& " + event : event))
        event = randomEvent(r);
    return events;
}

class RandomConsole
{
public:
    bool start()
    {
        inputMonitor.setReadPauseMs(1);
        if (!fx.startSimulators() || !fx.startConsole())
            return false;
        handler = fx.window()->findChild<ThreadHandler *>("handleThread");
        control = std::make_unique<sim::SimControl>(testroot::root(), fx.board.get(), fx.server.get());
        QObject::connect(handler, &ThreadHandler::gotInputValues, [this] { ++samples; });
        total[fitted] = lastChip[fitted] = fx.oneWire.recordCount(fitted);
        traffic.start();
        pluggedIn.start();
        // Watched from the start: the stop acts through the start-up wait banner too.
        return QTest::qWaitFor([this] { poll(); return !failure.isEmpty() || (counter().deviceId() == fitted && fx.server->hasClient()); }, 10000);
    }

    // "" when every check held, else "<index of the event>\t<what failed>".
    QString run(const QStringList &events)
    {
        int i = -1; // a failure before the first event counts as the first's
        while (failure.isEmpty() && ++i < events.size()) {
            apply(events[i]);
            events.value(i + 1).startsWith("& ") ? waitPolling(1) : settle();
        }
        return failure.isEmpty() ? QString() : QString::number(qMax(i, 0)) + '\t' + failure;
    }

    // The run command goes out under no hold, with the values shown (checked
    // at the next poll); the services line switches as the held set fills or empties.
    void logged(QtMsgType type, const QString &text)
    {
        const QString held = handler ? handler->heldFaults().join(", ") : QString();
        if (text.startsWith(QLatin1String(">>>>>>>> Thread : Executing Run Command"))) {
            check(held.isEmpty(), "run: the run command went out while " + held + " held");
            runSent = !fx.property("jetValve", "purgeFlag").toBool(); // a purge runs on values of its own
        } else if (text.startsWith(QLatin1String("shutDownServices - "))) {
            check(held.isEmpty() == text.endsWith("OFF"), "lines: services " + text.mid(20) + " with \"" + held + "\" held");
        }
        check(type != QtWarningMsg || !text.startsWith(QLatin1String("qrc:")) || !text.contains("Error"), "script: " + text);
    }

private:
    void apply(QString event)
    {
        traffic.restart(); // what the event sends takes a moment to reach the board
        const QStringList words = event.remove(QRegularExpression("^& ")).split(' ');
        const QString &what = words[1];
        if (words[0] == "keypad" || what.endsWith("ArrowID") || words[0] == "server")
            heaterMayRun = loading = true; // a profile load brings its heater state back
        if (words[0] == "click") {
            const bool stopShown = shown("resetBannerID"), running = fx.property("jetValve", "runningState").toBool();
            const bool tapped = tap(what);
            check(what != "runButtonID" || !running || stopShown || tapped, "run: a run in progress cannot be stopped");
            if (what == "runButtonID" && tapped) // the button shows Stop while running; a run it starts is no purge's
                std::tie(stopPressed, runsBeforeTap) = std::make_tuple(running, -1);
            screenStop = (screenStop || (what == "eStopButtonID" && tapped && !stopShown)) && !(what == "resetBannerButtonID" && tapped);
        } else if (words[0] == "keypad" && (shown("numberPadToSetProfileID") || tap("programSelect"))) {
            for (const QChar digit : what)
                tap(QStringLiteral("profileKeypadID/key") + digit);
            tap("profileKeypadSubmitID");
        } else if (words[0] == "wait") {
            waitPolling(what.toInt());
        } else if (words[0] == "purge" && tap("purgeButtonID", true)) { // held down that long; 0: a tap, which runs nothing
            runsBeforeTap = what == "0" ? fx.board->runsStarted() : -1;
            waitPolling(what.toInt());
            QTest::mouseRelease(fx.window(), Qt::LeftButton); // the button has the mouse until then
            stopPressed = true;
        } else if (words[0] == "eeprom") {
            swapValve(words);
        } else if (words[0] != "keypad" && words[0] != "purge") {
            const QByteArray answer = control->execute(event.toUtf8());
            check(answer.startsWith("ok"), "simulator refused " + event + ": " + answer);
            if (words[0] == "temp")
                readTemperature(what);
            if (words[0] == "server") // the good pushes are those with every key
                pushAnswer = event.contains("tuning") && words[2].toInt() <= 50 ? "ZUM_TXN_OK" : "WRITE_FAILED\n";
            db9Open = words[0] == "db9" ? what == "open" : db9Open;
        }
    }

    // Clicks only what an operator could click now; an overlay above the
    // item takes the click as it would take a finger.
    bool tap(const QString &name, bool pressOnly = false)
    {
        QQuickItem *target = fx.item(name.toLatin1().constData());
        if (!target || !target->isVisible() || !target->isEnabled())
            return false;
        const QPoint centre = target->mapToScene(QPointF(target->width() / 2, target->height() / 2)).toPoint();
        pressOnly ? QTest::mousePress(fx.window(), Qt::LeftButton, Qt::NoModifier, centre)
                  : QTest::mouseClick(fx.window(), Qt::LeftButton, Qt::NoModifier, centre);
        return true;
    }

    // A valve comes off with the count its chip holds and goes back with it.
    void swapValve(const QStringList &words)
    {
        if (!fitted.isEmpty())
            lastChip[fitted] = fx.oneWire.recordCount(fitted);
        const QStringList valves = total.keys();
        fitted = words[1] == "plug" ? "2d-" + words[4] : words[1] == "replug" ? valves.at(words[2].toInt() % valves.size()) : "";
        const qint64 count = words[1] == "plug" ? words[3].toLongLong() : lastChip.value(fitted);
        const QString command = fitted.isEmpty() ? "eeprom unplug" : QStringLiteral("eeprom plug good %1 %2").arg(count).arg(fitted.mid(3));
        check(control->execute(command.toUtf8()).startsWith("ok"), "simulator refused " + command);
        if (!fitted.isEmpty() && !total.contains(fitted))
            total[fitted] = count;
        lastChip[fitted] = count;
        pluggedIn.start();
    }

    // The counts the input thread reads, converted as it converts them; the
    // limits are the board's: piezo and boost 85 °C (released below 80),
    // amplifier 90 °C (below 85), and any reading at or below 0 °C.
    void readTemperature(const QString &channel)
    {
        const auto read = [this](int file, float (*convert)(float)) {
            return convert(fx.root.readFile(sim::SimSysfs::channelPath(file)).trimmed().toFloat());
        };
        const auto supervise = [](bool &held, float t, float limit) { held = t > limit || t <= 0 || (held && !(t < limit - 5)); };
        if (channel == "piezo") { // its DB15 line has no hysteresis; cooling air runs from 40 °C down to 38
            const float t = read(sim::SimSysfs::PiezoTemp, InputThread::piezoTempFromCounts);
            supervise(piezoHeld, t, 85);
            piezoLine = t > 85 || t <= 0;
            coolingAir = piezoLine || t > 40 || (coolingAir && !(t < 38));
        } else if (channel == "amp") {
            supervise(ampHeld, read(sim::SimSysfs::AmpTemp, InputThread::ampTempFromCounts), 90);
        } else if (channel == "boost") {
            supervise(boostHeld, read(sim::SimSysfs::BoostTemp, InputThread::boostTempFromCounts), 85);
        }
    }

    void waitPolling(int ms) // at least that long
    {
        do {
            QTest::qWait(3);
            poll();
        } while ((ms -= 3) > 0 && failure.isEmpty());
    }

    // Until the input thread has sampled the inputs as they are, the board
    // and the server are quiet, the wait banner is gone and the held set is
    // what the inputs demand (the nozzle fault is the operator's), or 10 s.
    void settle()
    {
        const int target = samples + 3;
        QElapsedTimer clock;
        clock.start();
        bool quiet = false;
        QStringList held, expected;
        for (const auto &entry : QList<QPair<bool, QString>>{{ampHeld, "AT ERR"}, {boostHeld, "BT ERR"}, {screenStop || db9Open, "ESTOP"}, {piezoHeld, "PT ERR"}})
            expected << (entry.first ? entry.second : QString());
        expected.removeAll(QString());
        while (failure.isEmpty() && clock.elapsed() < 10000 && !(quiet && held == expected)) {
            waitPolling(1);
            held = handler->heldFaults();
            held.removeAll("NT ERR");
            held.sort();
            quiet = samples >= target && traffic.elapsed() > 60 && fx.server->pendingCount() == 0 && !shown("waitBannerID")
                    && (pushAnswer.isEmpty() || !fx.server->lastAnswer().isEmpty());
        }
        check(quiet, "settle: still busy after 10 s");
        check(held == expected, "held: \"" + handler->heldFaults().join(", ") + "\", the inputs demand \"" + expected.join(", ") + "\"");
        check(fx.gpio(Control::Pin498Gpio) == piezoLine && fx.gpio(Control::Pin506Gpio) == coolingAir,
              QStringLiteral("lines: piezo line %1, cooling air %2").arg(fx.gpio(Control::Pin498Gpio)).arg(fx.gpio(Control::Pin506Gpio)));
        check(held.isEmpty() || (!fx.board->isDispensing() && fx.board->parameter(16) != 0), "board: dispensing or open while " + held.join(", ") + " held");
        check(!std::exchange(stopPressed, false) || !fx.board->isDispensing(), "run: the board still dispenses after Stop");
        const int runsBefore = std::exchange(runsBeforeTap, -1);
        check(runsBefore < 0 || fx.board->runsStarted() == runsBefore, "purge: a tap started a run");
        const QString answer = std::exchange(pushAnswer, QString());
        const bool notified = fx.property("mainWindow", "iotNotificationShown").toBool() || fx.run("pendingPushes.length").toInt() > 0; // or held through a run
        check(fx.server->lastAnswer().startsWith(answer.toLatin1()) && (answer != "ZUM_TXN_OK" || notified),
              "push: answered " + fx.server->lastAnswer() + " or no notification, not " + answer);
        checkValves();
        checkProfiles();
        loading = false;
    }

    // What must hold whenever the window thread is free.
    void poll()
    {
        const QStringList held = handler->heldFaults();
        for (const QString &entry : held) // a new fault or stop switches the heater off until a load or the operator
            heaterMayRun = heaterMayRun && (loading || lastHeld.contains(entry));
        check(heaterMayRun || fx.gpio(Control::Pin507Gpio) == 0, "heater: back on by itself after a fault or stop");
        if (std::exchange(lastHeld, held) != held) // so does the stop of a hold
            traffic.restart();
        const int line = held.isEmpty() ? 0 : 1;
        check(fx.gpio(Control::Pin508Gpio) == line && fx.gpio(Control::Pin497Gpio) == line, "lines: not " + QString::number(line) + " with \"" + held.join(", ") + "\" held");
        check(held.isEmpty() || fx.gpio(Control::Pin507Gpio) == 0, "heater: on while " + held.join(", ") + " held");
        check(!held.contains("NT ERR") || shown("popUpID"), "nozzle fault: held without a pop-up to clear it");
        QQuickItem *stop = fx.item("eStopButtonID"), *top = nullptr;
        for (QQuickItem *item : fx.item("stopButtonsID")->parentItem()->childItems()) // what a finger on the stop touches
            top = item->isVisible() && item->contains(stop->mapToItem(item, QPointF(stop->width() / 2, stop->height() / 2))) && (!top || item->z() >= top->z()) ? item : top;
        check(!shown("jetValve") || (stop->isEnabled() && top && (top->objectName() == "stopButtonsID" || top == fx.item("resetBannerID"))),
              "stop: the emergency stop cannot be pressed");
        // Run stays dead under an overlay and for the tap after the one that closed it.
        const bool covered = shown("popUpID") || shown("waitBannerID") || shown("numberPadToSetProfileID") || shown("resetBannerID");
        const bool runLive = fx.item("runButtonID")->isEnabled() && !fx.property("mainWindow", "runInProgressState").toBool();
        check(!covered || (!fx.item("mainBoxID")->isEnabled() && !runLive), "overlay: the screen under it takes touches");
        check(!std::exchange(wasCovered, covered) || covered || !runLive, "overlay: Run takes a tap at once after it closed");
        if (std::exchange(runSent, false))
            checkRunValues();
        countReports();
    }

    // Reports go to the valve fitted when the console reads them; with none
    // fitted, to the one whose count it holds.
    void countReports()
    {
        const QList<sim::BoardChunk> sent = fx.board->sent();
        if (sent.size() != seenSent || fx.board->received().size() != seenReceived)
            traffic.restart();
        static const QRegularExpression report(QStringLiteral("P17:([ 0-9]{10})\r\n"));
        for (int i = seenSent; i < sent.size(); ++i) {
            for (auto it = report.globalMatch(QString::fromLatin1(sent[i].bytes)); it.hasNext();) {
                qint64 &made = total[fitted.isEmpty() ? counter().deviceId() : fitted];
                made = qMin(ValveCount::maxCount, made + it.next().captured(1).trimmed().toLongLong());
            }
        }
        std::tie(seenSent, seenReceived) = std::make_tuple(sent.size(), fx.board->received().size());
    }

    // The board runs with what the screen shows, within its own limits: at
    // most 100000 and a duty cycle of 100 as 99.
    void checkRunValues()
    {
        const QString text = fx.run("JSON.stringify(jetValve.currentProfile)").toString();
        const QJsonObject profile = QJsonDocument::fromJson(text.toUtf8()).object();
        const char *keys[] = {"riseTime", "dwell", "fallTime", "delay", "dutyCycle", "dispenseCycles"};
        for (int code : {0, 1, 2, 3, 4, 5, 12}) {
            const qint64 shown = qMin<qint64>(qint64(profile.value(code == 12 ? "mode" : keys[code]).toDouble()), code == 4 ? 99 : 100000);
            check(fx.board->parameter(code) == shown, QStringLiteral("run: P%1 is %2 on the board, the screen shows %3").arg(code).arg(fx.board->parameter(code)).arg(text));
        }
    }

    // The count the console holds is all its valve made; the fitted chip never
    // loses cycles, gets no more than its valve made, and takes them every
    // 20000 (one due while it was off waits for the 10 s retry of the read).
    void checkValves()
    {
        const QString held = counter().deviceId();
        check(counter().total() == total.value(held), QStringLiteral("valve count: %1 held for %2, whose valve made %3 (fitted: %4)")
                                                          .arg(counter().total()).arg(held).arg(total.value(held)).arg(fitted));
        const qint64 chip = fx.oneWire.recordCount(fitted);
        check(fitted.isEmpty() || (chip >= std::exchange(lastChip[fitted], chip) && chip <= total.value(fitted)
                                   && (held != fitted || (chip == counter().chipCount()
                                                         && (counter().pendingCycles() < ValveCount::writeStep || pluggedIn.elapsed() < ValveCount::retryMs + 1000)))),
              QStringLiteral("valve count: chip %1 holds %2, its valve made %3").arg(fitted).arg(chip).arg(total.value(fitted)));
        for (auto it = total.cbegin(); it != total.cend(); ++it) // nor does a mirror
            check(fx.root.readFile("/media/data/" + it.key() + "-1").split('#').value(0).toLongLong() <= it.value(), "valve count: the mirror of " + it.key() + " holds more");
    }

    void checkProfiles()
    {
        for (const QString &name : QDir(testroot::path("/media/data")).entryList({"*JV.profile", "*JV.profile_BKUP"}, QDir::Files)) {
            QJsonParseError error;
            const QJsonObject profile = QJsonDocument::fromJson(fx.root.readFile("/media/data/" + name), &error).object();
            check(error.error == QJsonParseError::NoError, "profile: " + name + " is no profile");
            for (const remote::ProfileLimit *limit = remote::profileLimits; limit < remote::profileLimits + remote::profileLimitCount; ++limit) {
                const QJsonValue value = profile.value(limit->key);
                bool number = value.isDouble();
                const double v = value.isString() ? value.toString().toDouble(&number) : value.toDouble();
                check(value.isUndefined() || (number && v >= limit->minimum && v <= limit->maximum),
                      "profile: " + name + QStringLiteral(" holds %1 = ").arg(limit->key) + value.toVariant().toString());
            }
        }
    }

    ValveCount &counter() const { return handler->valveCounter(); }
    bool shown(const char *name) const { return fx.item(name)->isVisible(); }
    void check(bool ok, const QString &what) { failure = ok || !failure.isEmpty() ? failure : what; }

    ConsoleFixture fx;
    std::unique_ptr<sim::SimControl> control;
    ThreadHandler *handler = nullptr;
    // What the injected inputs demand, and every reported cycle per valve.
    bool piezoHeld = false, piezoLine = false, coolingAir = false, ampHeld = false, boostHeld = false, screenStop = false, db9Open = false;
    bool stopPressed = false, runSent = false, heaterMayRun = true, loading = false, wasCovered = false;
    QString fitted = QLatin1String(sim::SimOneWire::defaultSlave), failure, pushAnswer;
    QStringList lastHeld;
    QMap<QString, qint64> total, lastChip; // per valve ever fitted: what it made, what its chip held last
    int samples = 0, seenSent = 0, seenReceived = 0, runsBeforeTap = -1;
    QElapsedTimer traffic, pluggedIn;
};

RandomConsole *console = nullptr;

void onMessage(QtMsgType type, const QMessageLogContext &, const QString &text)
{
    if (console && QThread::currentThread() == qApp->thread())
        console->logged(type, text);
}

// The events in a fresh process: the index of the failing event (-1: none) and what failed.
QPair<int, QString> runInProcess(const QStringList &events)
{
    static int runs = 0;
    const QString root = testroot::root() + QStringLiteral("/run%1").arg(++runs);
    QFile script(root + ".events"), result(root + ".events.result");
    if (!QDir().mkpath(root) || !script.open(QIODevice::WriteOnly) || script.write(events.join('\n').toUtf8()) < 0)
        return {0, "setup: cannot write " + script.fileName()};
    script.close();
    QProcess child;
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert("ZUM_ROOT", root);
    env.insert("ZUM_RANDOM_SCRIPT", script.fileName());
    child.setProcessEnvironment(env);
    child.setProcessChannelMode(QProcess::ForwardedErrorChannel);
    testroot::start(child, QCoreApplication::applicationFilePath(), {});
    child.waitForFinished(-1);
    if (!result.open(QIODevice::ReadOnly))
        return {int(events.size()) - 1, QStringLiteral("crash: the console process ended with %1").arg(child.exitCode())};
    const QString text = QString::fromUtf8(result.readAll());
    if (text.isEmpty())
        QDir(root).removeRecursively();
    return {text.isEmpty() ? -1 : text.section('\t', 0, 0).toInt(), text.section('\t', 1)};
}

// Removes ever shorter runs of events while the same kind of failure stays.
QStringList shortestFailing(QStringList events, QPair<int, QString> &outcome)
{
    const QString kind = outcome.second.section(':', 0, 0);
    for (int chunk = events.size() / 2; chunk >= 1; chunk /= 2) {
        for (int at = 0; at < events.size();) {
            QStringList fewer = events;
            fewer.erase(fewer.begin() + at, fewer.begin() + qMin(at + chunk, int(fewer.size())));
            const auto tried = fewer.isEmpty() ? qMakePair(-1, QString()) : runInProcess(fewer);
            if (tried.first >= 0 && tried.second.section(':', 0, 0) == kind)
                events = fewer.mid(0, (outcome = tried).first + 1);
            else
                at += chunk;
        }
    }
    return events;
}

} // namespace

class TestRandomConsole : public QObject
{
    Q_OBJECT

private slots:
    void randomEventsKeepTheConsoleSafe_data()
    {
        QTest::addColumn<QStringList>("events");
        const int count = qEnvironmentVariableIsSet("ZUM_RANDOM_EVENTS") ? qEnvironmentVariableIntValue("ZUM_RANDOM_EVENTS") : 100;
        for (const QString &seed : qEnvironmentVariable("ZUM_RANDOM_SEEDS", "1 2 3").split(' ', Qt::SkipEmptyParts))
            QTest::newRow(qPrintable("seed " + seed)) << randomEvents(seed.toUInt(), count);
        // A five-second run, and a pop-up over it.
        const QString longRun = "server push 1 {\"programValue\":1,\"dispenseCycles\":300,\"dwell\":9999,\"riseTime\":1000,\"delay\":5000,\"tuning\":1}";
        QTest::newRow("stop under a pop-up") << QStringList{longRun, "click runButtonID", "board silent", longRun, "click runButtonID"};
    }

    void randomEventsKeepTheConsoleSafe()
    {
        QFETCH(QStringList, events);
        QElapsedTimer clock;
        clock.start();
        auto outcome = runInProcess(events);
        std::printf("%s: %d events in %.0f s\n", QTest::currentDataTag(), int(events.size()), clock.elapsed() / 1000.0);
        if (outcome.first < 0)
            return;
        const QString first = QStringLiteral("event %1 (%2): %3").arg(outcome.first).arg(events.value(outcome.first), outcome.second);
        events = events.mid(0, outcome.first + 1);
        if (qEnvironmentVariable("ZUM_RANDOM_SHRINK") != "0")
            events = shortestFailing(events, outcome);
        QFAIL(qPrintable(first + QStringLiteral("\nshortest list that fails (%1 events): %2\n    ").arg(events.size()).arg(outcome.second) + events.join("\n    ")));
    }
};

int main(int argc, char *argv[])
{
    QApplication app(argc, argv);
    testroot::prepare();
    QFile script(qEnvironmentVariable("ZUM_RANDOM_SCRIPT")), result(script.fileName() + ".result");
    if (script.open(QIODevice::ReadOnly)) { // the console's side: the events, with the outcome left beside them
        qInstallMessageHandler(onMessage);
        RandomConsole under;
        console = &under;
        const QString outcome = under.start() ? under.run(QString::fromUtf8(script.readAll()).split('\n', Qt::SkipEmptyParts))
                                              : QStringLiteral("0\tstart: the console did not come up");
        console = nullptr;
        return result.open(QIODevice::WriteOnly) && result.write(outcome.toUtf8()) >= 0 ? 0 : 1;
    }
    if (!qEnvironmentVariableIsSet("QTEST_FUNCTION_TIMEOUT")) // a seed of many events takes minutes
        qputenv("QTEST_FUNCTION_TIMEOUT", "86400000");
    TestRandomConsole test;
    QTEST_SET_MAIN_SOURCE_PATH
    return QTest::qExec(&test, argc, argv);
}

#include "tst_randomconsole.moc"
