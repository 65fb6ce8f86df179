#pragma once

#include <QByteArray>
#include <QLoggingCategory>
#include <QString>

Q_DECLARE_LOGGING_CATEGORY(lcRemote)

// The texts exchanged with the remote monitoring server: the reports the
// console composes and queues, and the recognition of the server's requests.
namespace remote {

// Reports handed to the link; the facade fills in its own host, MAC and
// system code.
QString runPackage(const QString &host, const QString &mac, const QString &systemCode,
                   const QString &profileName, const QString &dat);
QString dataPackage(const QString &host, const QString &mac, const QString &systemCode,
                    const QString &miscData);
QString errorReport(const QString &mac, const QString &systemCode, const QString &severity,
                    const QString &errorCode);
QString errorClear(const QString &mac, const QString &systemCode);

enum class RequestKind {
    Identification,
    ProfileRequest,
    ProfileUpload,
    Query,
    DataPoll,
    Other,
};

// One received read as a request: UTF-8 up to the first NUL, with every CR,
// LF and TAB removed (uploaded profiles arrive split over lines).
QString cleanRequest(const QByteArray &received);

// Requests are told apart by how they begin; the first match wins.
RequestKind requestKind(const QString &request);

// The profile number a server names, or 0 when the text is not a plain
// decimal number from 1 to 50. Only accepted numbers may become file names.
int profileNumber(const QString &field);

// Largest profile text an upload may store; a profile is about 300 bytes.
constexpr int maxUploadBytes = 4096;

// Server text fit for a log line: control characters removed (they could
// rewrite a terminal or forge lines), cut to 80 characters.
QString loggable(const QString &text);

// Board path of the stored profile n.
QString profilePath(int n);

// "#START#" + report + "#STOP#\n": a queued report sent in reply to a text
// that is not a poll.
QString framedReport(const QString &report);

QByteArray identificationAnswer(const QString &mac);

// LF "CC: " count " | CF : " flags CR LF, from the "#"-separated EEPROM
// record. A record the chip could not give (empty, or one field) leaves the
// missing values empty rather than inventing them.
QByteArray eepromAnswer(const QString &record);

extern const char noProfileAnswer[];   // "NO_STORED_PROFILE_FOUND"
extern const char invalidQueryAnswer[]; // "INVALID COMM"
extern const char uploadOkAnswer[];    // "ZUM_TXN_OK\n"
extern const char uploadFailedAnswer[]; // "WRITE_FAILED\n"
extern const char nothingAnswer[];     // "NOP\n"
extern const char noPackage[];         // "NONE": no run package yet

} // namespace remote
