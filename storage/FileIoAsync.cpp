// The file service's slow work as requests the pages can make without holding
// the window thread: shell commands, reads after them, and everything that
// mounts the USB stick. The worker runs the same synchronous services as the
// slots; they keep no state in the object, so running them there is safe.
#include "FileIo.h"

#include "Worker.h"

namespace {

// Requests waiting or running at most; the page's own busy state keeps a
// second request for the same action from coming while one runs.
constexpr int maxRequests = 8;

} // namespace

bool FileIo::request(std::function<QVariant()> job, std::function<void(const QVariant &)> done)
{
    if (!worker)
        worker = std::make_unique<platform::Worker>(QStringLiteral("FileIo worker"), maxRequests);
    return worker->post(std::move(job), std::move(done));
}

bool FileIo::exeSysAsync(QString comm)
{
    return request([this, comm] { return QVariant(exeSys(comm)); });
}

bool FileIo::readAsync(QString name)
{
    return request([this, name] { return QVariant(read(name)); },
                   [this, name](const QVariant &contents) { emit readDone(name, contents.toString()); });
}

bool FileIo::readUsbLinesAsync(QString name)
{
    return request(
        [this, name] {
            const bool mounted = mountUsb();
            return QVariantList{mounted, mounted ? readLines(name) : QStringList()};
        },
        [this, name](const QVariant &answer) {
            const QVariantList parts = answer.toList();
            emit usbLinesRead(name, parts.value(0).toBool(), parts.value(1).toStringList());
        });
}

bool FileIo::exportOTLogAsync()
{
    return request([this] { return QVariant(exportOTLog()); },
                   [this](const QVariant &outcome) { emit otLogExported(outcome.toString()); });
}

bool FileIo::updateFromUsbAsync(QString folder, QString driverTarget, QString programTarget)
{
    return request([=] { return QVariant(updateFromUsb(folder, driverTarget, programTarget)); },
                   [this](const QVariant &result) { emit updateFromUsbDone(result.toMap()); });
}

QString FileIo::exportOTLog()
{
    if (!mountUsb())
        return QStringLiteral("nostick");
    if (findFiles(QStringLiteral("/media/data"), QStringLiteral("ot.log")).isEmpty())
        return QStringLiteral("nolog");
    return copyOTLogToUSBChecked() ? QStringLiteral("copied") : QStringLiteral("failed");
}

// The stick stays mounted afterwards, as the page has always left it. A
// driver and a program on one stick go in together or not at all
// (installUpdates), so the page reboots only into a complete update.
QVariantMap FileIo::updateFromUsb(const QString &folder, const QString &driverTarget, const QString &programTarget)
{
    QVariantMap result{{QStringLiteral("mounted"), mountUsb()}};
    if (!result.value(QStringLiteral("mounted")).toBool())
        return result;
    const struct {
        QString key, name, target;
        bool executable;
    } parts[] = {{QStringLiteral("driver"), QStringLiteral("zuvc.ko"), driverTarget, false},
                 {QStringLiteral("program"), QStringLiteral("zumvalvecontroller"), programTarget, true}};
    QVector<UpdateFile> files;
    QStringList keys;
    for (const auto &part : parts) {
        if (findFiles(folder, part.name).isEmpty()) {
            result.insert(part.key, QStringLiteral("absent"));
        } else {
            files.append({folder + QLatin1Char('/') + part.name, part.target, part.executable});
            keys.append(part.key);
        }
    }
    const QStringList outcome = installUpdates(files);
    for (int i = 0; i < keys.size(); ++i)
        result.insert(keys[i], outcome.value(i));
    return result;
}
