#include "UiSetup.h"

#include "FileIo.h"
#include "NetworkSetup.h"
#include "SerialPortIO.h"
#include "ThreadHandler.h"
#include "WifiClass.h"
#include "Worker.h"

#include <QFont>
#include <QFontDatabase>
#include <QQuickWindow>
#include <QResource>
#include <QTimer>
#include <QtQml>

#include <memory>
#include <utility>

namespace {

QString builtInServerIP;

constexpr int firstFrameWaitMs = 1000;

QJSValue buildOptions(QQmlEngine *, QJSEngine *engine)
{
    QJSValue options = engine->newObject();
    options.setProperty(QStringLiteral("defaultServerIP"), builtInServerIP);
    return options;
}

} // namespace

void registerQmlTypes(const QString &defaultServerIP)
{
    builtInServerIP = defaultServerIP;
    qmlRegisterSingletonType("com.zum.qml", 1, 0, "BuildOptions", buildOptions);
    qmlRegisterType<FileIo>("com.zum.qml", 1, 0, "FileIo");
    qmlRegisterType<NetworkSetup>("com.zum.qml", 1, 0, "NetworkSetup");
    qmlRegisterType<SerialPortIO>("com.zum.qml", 1, 0, "SerialPortIO");
    qmlRegisterType<ThreadHandler>("com.zum.qml", 1, 0, "ThreadHandler");
    qmlRegisterType<WifiClass>("com.zum.qml", 1, 0, "WifiClass");
}

// The pages ask for "Gotham"; that name maps onto the bold sans-serif font
// carried in the resource bundle, so the board needs no font of its own.
// An uncompressed font is used in place, without a copy on the heap (the font
// database would otherwise hold two).
void installBundledFont()
{
    const QResource font(QStringLiteral(":/fonts/DejaVuSans-Bold.ttf"));
    const QByteArray data = font.compressionAlgorithm() == QResource::NoCompression
        ? QByteArray::fromRawData(reinterpret_cast<const char *>(font.data()), int(font.size()))
        : font.uncompressedData();
    const int id = data.isEmpty() ? -1 : QFontDatabase::addApplicationFontFromData(data);
    const QStringList families = id >= 0 ? QFontDatabase::applicationFontFamilies(id) : QStringList();
    if (families.isEmpty()) {
        qWarning("bundled font missing; \"Gotham\" falls back to the system font");
        return;
    }
    QFont::insertSubstitution(QStringLiteral("Gotham"), families.first());
}

void holdToolsUntilFirstFrame()
{
    platform::Worker::hold();
}

void continueAfterFirstFrame(QQuickWindow *window)
{
    struct Wait {
        bool over = false;
        QMetaObject::Connection swapped;
    };
    const auto wait = std::make_shared<Wait>();
    const auto goOn = [window, wait] {
        if (std::exchange(wait->over, true))
            return;
        QObject::disconnect(wait->swapped);
        platform::Worker::release();
        QMetaObject::invokeMethod(window, "firstFrameShown");
    };
    // Emitted on the render thread where there is one.
    wait->swapped = QObject::connect(window, &QQuickWindow::frameSwapped, window, goOn, Qt::QueuedConnection);
    QTimer::singleShot(firstFrameWaitMs, window, goOn);
    QObject::connect(window, &QObject::destroyed, [] { platform::Worker::release(); });
}
