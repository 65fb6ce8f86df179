#include "ConsoleFixture.h"

#include "UiSetup.h"

#include <QQmlContext>
#include <QQmlExpression>
#include <QQmlProperty>

#include <utility>

// The pages come from the bundle compiled into this static library.
static void initBundle()
{
    Q_INIT_RESOURCE(resources);
}

ConsoleFixture::ConsoleFixture()
{
    initBundle();
}

ConsoleFixture::~ConsoleFixture()
{
    stopConsole();
}

bool ConsoleFixture::startSimulators()
{
    qputenv("ZUM_CPU_ARCH", "arm"); // the board code drives the simulated sysfs tree
    if (!start())
        return false;
    writeSettings();
    static bool typesRegistered = false;
    if (!typesRegistered) {
        registerQmlTypes();
        installBundledFont();
        typesRegistered = true;
    }
    return true;
}

// The remote server of the stored settings is the simulated one.
void ConsoleFixture::writeSettings() const
{
    const QString settings = QStringLiteral("{\"trigOutForCamera\":true,\"repeatEnabled\":false,\"repeatDelay\":100,"
                                            "\"RemoteServerIP\":\"127.0.0.1\",\"RemoteServerPort\":\"%1\"}")
                                 .arg(server->port());
    testroot::writeFile("/media/data/JetValveSettings.dat", settings.toLatin1());
}

bool ConsoleFixture::startConsole(const std::function<void()> &atFirstFrame)
{
    GuiThread::Timing timing;
    timing.reinitAfterStartMs = 600000; // the start-up write is tested by the back end's own tests
    GuiThread::setTiming(timing);
    engine = std::make_unique<QQmlApplicationEngine>();
    holdToolsUntilFirstFrame();
    engine->load(QUrl(QStringLiteral("qrc:///qml/main.qml")));
    win = engine->rootObjects().isEmpty() ? nullptr : qobject_cast<QQuickWindow *>(engine->rootObjects().first());
    if (!win)
        return false;
    // Nothing has been drawn yet: the window draws only from the event loop.
    if (atFirstFrame) {
        QObject::connect(win, &QQuickWindow::afterAnimating, win, [atFirstFrame, first = true]() mutable {
            if (std::exchange(first, false))
                atFirstFrame();
        });
    }
    continueAfterFirstFrame(win);
    win->setHeight(272);
    win->setWidth(480);
    win->showNormal();
    if (!QTest::qWaitForWindowExposed(win))
        return false;
    return QTest::qWaitFor([this] { return item("jetValve") && item("jetValve")->isVisible(); }, 5000);
}

void ConsoleFixture::stopConsole()
{
    engine.reset();
    win = nullptr;
    serialLink.closeSerialPort();
}

// Items made by a Repeater have no QObject parent: search the visual tree too.
static QQuickItem *findItem(QQuickItem *from, const QString &name)
{
    if (from->objectName() == name)
        return from;
    if (auto *found = from->findChild<QQuickItem *>(name))
        return found;
    const QList<QQuickItem *> children = from->childItems();
    for (QQuickItem *child : children) {
        if (QQuickItem *found = findItem(child, name))
            return found;
    }
    return nullptr;
}

// "outer/inner" names an item inside another, for names used on several pages.
QQuickItem *ConsoleFixture::item(const char *objectName) const
{
    if (!win)
        return nullptr;
    if (win->objectName() == QLatin1String(objectName))
        return win->contentItem();
    QQuickItem *found = win->contentItem();
    const QStringList path = QString::fromLatin1(objectName).split(QLatin1Char('/'));
    for (const QString &name : path) {
        found = findItem(found, name);
        if (!found)
            return nullptr;
    }
    return found;
}

// Waits a moment for the item to become clickable (a wait banner may be up).
bool ConsoleFixture::click(const char *objectName)
{
    QQuickItem *target = nullptr;
    const bool ready = QTest::qWaitFor([&] {
        target = item(objectName);
        return target && target->isVisible() && target->isEnabled() && target->window() == win;
    }, 3000);
    if (!ready) {
        qWarning() << "cannot click" << objectName << (target ? "(hidden or disabled)" : "(missing)");
        return false;
    }
    const QPointF centre = target->mapToScene(QPointF(target->width() / 2, target->height() / 2));
    QTest::mouseClick(win, Qt::LeftButton, Qt::NoModifier, centre.toPoint());
    return true;
}

// The window, an item, or one of the window's non-visual objects.
QObject *ConsoleFixture::object(const char *objectName) const
{
    if (!win)
        return nullptr;
    if (qstrcmp(objectName, "mainWindow") == 0)
        return win;
    if (QQuickItem *found = item(objectName))
        return found;
    return win->findChild<QObject *>(QLatin1String(objectName));
}

QVariant ConsoleFixture::property(const char *objectName, const char *name) const
{
    QObject *target = object(objectName);
    return target ? QQmlProperty::read(target, QLatin1String(name)) : QVariant();
}

void ConsoleFixture::setProperty(const char *objectName, const char *name, const QVariant &value) const
{
    if (QObject *target = object(objectName))
        QQmlProperty::write(target, QLatin1String(name), value);
}

QVariant ConsoleFixture::call(const char *objectName, const char *function, const QVariantList &args) const
{
    QObject *target = object(objectName);
    QVariant result;
    if (!target)
        return result;
    const QVariant a[4] = {args.value(0), args.value(1), args.value(2), args.value(3)};
    const QGenericReturnArgument ret = Q_RETURN_ARG(QVariant, result);
    switch (args.size()) {
    case 0: QMetaObject::invokeMethod(target, function, ret); break;
    case 1: QMetaObject::invokeMethod(target, function, ret, Q_ARG(QVariant, a[0])); break;
    case 2: QMetaObject::invokeMethod(target, function, ret, Q_ARG(QVariant, a[0]), Q_ARG(QVariant, a[1])); break;
    case 3:
        QMetaObject::invokeMethod(target, function, ret, Q_ARG(QVariant, a[0]), Q_ARG(QVariant, a[1]),
                                  Q_ARG(QVariant, a[2]));
        break;
    default:
        QMetaObject::invokeMethod(target, function, ret, Q_ARG(QVariant, a[0]), Q_ARG(QVariant, a[1]),
                                  Q_ARG(QVariant, a[2]), Q_ARG(QVariant, a[3]));
    }
    return result;
}

QVariant ConsoleFixture::run(const QString &script) const
{
    QQmlExpression expression(qmlContext(win), win, script);
    return expression.evaluate();
}
