#include "UiSetup.h"

#include "FileIo.h"
#include "NetworkSetup.h"
#include "SerialPortIO.h"
#include "ThreadHandler.h"
#include "WifiClass.h"

#include <QFont>
#include <QFontDatabase>
#include <QtQml>


void registerQmlTypes()
{
    qmlRegisterType<FileIo>("com.zum.qml", 1, 0, "FileIo");
    qmlRegisterType<NetworkSetup>("com.zum.qml", 1, 0, "NetworkSetup");
    qmlRegisterType<SerialPortIO>("com.zum.qml", 1, 0, "SerialPortIO");
    qmlRegisterType<ThreadHandler>("com.zum.qml", 1, 0, "ThreadHandler");
    qmlRegisterType<WifiClass>("com.zum.qml", 1, 0, "WifiClass");
}

// The pages ask for "Gotham"; that name maps onto the bold sans-serif font
// carried in the resource bundle, so the board needs no font of its own.
void installBundledFont()
{
    const int id = QFontDatabase::addApplicationFont(QStringLiteral(":/fonts/DejaVuSans-Bold.ttf"));
    const QStringList families = id >= 0 ? QFontDatabase::applicationFontFamilies(id) : QStringList();
    if (families.isEmpty()) {
        qWarning("bundled font missing; \"Gotham\" falls back to the system font");
        return;
    }
    QFont::insertSubstitution(QStringLiteral("Gotham"), families.first());
}
