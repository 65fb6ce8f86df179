// The monitoring server's requests, as the client thread answers them. An
// input holds one or more requests separated by 0x1E (record separator).
// Checks: every request gets an answer; an accepted upload stored exactly
// the profile sent under a number 1 to 50; nothing else is ever written.
#include "CommClientThread.h"
#include "FuzzSupport.h"
#include "Platform.h"
#include "PushedProfile.h"
#include "RemoteMessages.h"

#include <QDirIterator>
#include <QJsonDocument>
#include <QRegularExpression>

struct RemoteAnswerProbe
{
    // A session as after a connection: reports queued, a run package known
    // and the last EEPROM read still fresh, so no query starts the 1-Wire shells.
    static void prepare(CommClientThread &client)
    {
        client.setMacAddress(QStringLiteral("02:00:00:00:00:01"));
        client.setLatestPackage(QStringLiteral("#START#h#m#s#3JV.profile#{}#STOP#\n"));
        client.queueReport(QStringLiteral("#ERR#m#s#2#7#ERR#\n"));
        client.queueReport(QStringLiteral("#STARTDATA#h#m#s#x#STOPDATA#\n"));
        client.eepromRecord = QStringLiteral("123456#1#20215");
        client.eepromReadAge.start();
    }

    static QByteArray answer(CommClientThread &client, const QByteArray &request, bool &sendLatestFirst)
    {
        return client.answer(request, sendLatestFirst);
    }
};

namespace {

const QByteArray storedProfile = "{\"programValue\":3,\"dwell\":\"250\",\"mode\":0}";

QString dataDir()
{
    return platform::sysPath(QStringLiteral("/media/data"));
}

// Every file under the root: what a request may have added.
QStringList filesUnderRoot()
{
    QStringList files;
    QDirIterator it(platform::rootPrefix(), QDir::Files | QDir::Hidden | QDir::System, QDirIterator::Subdirectories);
    while (it.hasNext())
        files.append(it.next());
    files.sort();
    return files;
}

QStringList initialFiles;

void restoreProfiles()
{
    QDir dir(dataDir());
    for (const QString &name : dir.entryList({QStringLiteral("*JV.profile*")}, QDir::Files))
        dir.remove(name);
    QFile profile(dataDir() + QStringLiteral("/3JV.profile"));
    if (!profile.open(QIODevice::WriteOnly) || profile.write(storedProfile) != storedProfile.size())
        std::abort();
}

} // namespace

extern "C" int LLVMFuzzerInitialize(int *, char ***)
{
    fuzzsupport::setUp();
    restoreProfiles();
    // The first file object of the process prepares the file layer's logs.
    CommClientThread client;
    RemoteAnswerProbe::prepare(client);
    bool latest = true;
    RemoteAnswerProbe::answer(client, "@3", latest);
    initialFiles = filesUnderRoot();
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    const QByteArray input(reinterpret_cast<const char *>(data), int(size));
    CommClientThread client;
    RemoteAnswerProbe::prepare(client);
    bool sendLatestFirst = true;
    bool uploaded = false;
    static const QRegularExpression storedName(QStringLiteral("/media/data/([0-9]+)JV\\.profile$"));

    for (const QByteArray &request : input.split('\x1e')) {
        const QByteArray reply = RemoteAnswerProbe::answer(client, request, sendLatestFirst);
        if (reply.isEmpty())
            fuzzsupport::fail(QStringLiteral("empty answer"), input);
        const QString cleaned = remote::cleanRequest(request);
        fuzzsupport::feature(uint32_t(remote::requestKind(cleaned)) * 7919u + uint32_t(qHash(reply.left(8))));
        if (reply != remote::uploadOkAnswer)
            continue;
        // An accepted upload: "#n#profile" with n 1..50, stored as sent, or
        // with its numbers beyond a limit at that limit (in Latin-1, as every
        // file is), and loadable by the profile screen.
        uploaded = true;
        const QStringList fields = cleaned.split(QLatin1Char('#'));
        const int n = remote::profileNumber(fields.value(1));
        QFile stored(platform::sysPath(remote::profilePath(n)));
        if (n == 0 || !stored.open(QIODevice::ReadOnly))
            fuzzsupport::fail(QStringLiteral("accepted upload not stored"), input);
        const QByteArray bytes = stored.readAll();
        QString expected;
        if (!remote::pushedProfileProblem(fields.value(2), n, &expected).isEmpty() || bytes != expected.toLatin1())
            fuzzsupport::fail(QStringLiteral("accepted upload not stored as sent"), input);
        if (!QJsonDocument::fromJson(QString::fromLatin1(bytes).toUtf8()).isObject())
            fuzzsupport::fail(QStringLiteral("accepted upload stored as no profile object"), input);
    }

    if (uploaded) {
        // Profiles 1 to 50 (and their backups) are all an upload may add.
        for (const QString &file : filesUnderRoot()) {
            if (initialFiles.contains(file))
                continue;
            const QRegularExpressionMatch m = storedName.match(platform::boardPath(file));
            if (!m.hasMatch() || m.captured(1).toInt() < 1 || m.captured(1).toInt() > 50)
                fuzzsupport::fail(QStringLiteral("a request wrote ") + file, input);
        }
        restoreProfiles();
    }
    return 0;
}
