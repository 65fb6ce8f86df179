// A Wi-Fi scan filtered to its "SSID" and "RSN" lines, as the Wi-Fi page
// sorts it into secured and open networks. Checks: every listed line is one
// "SSID" line of the scan, each is in exactly one list, and each reaches the
// shell command that records it as one quoted word, unchanged by the mapping
// of board paths (NUL bytes aside: no command line can carry them).
#include "FuzzSupport.h"
#include "NetShell.h"
#include "Platform.h"
#include "WifiScan.h"

namespace {

// The word a POSIX shell reads from single-quoted text ('...' and \' only,
// as shellQuote writes it); false when the text is not that.
bool unquote(const QByteArray &word, QByteArray &out)
{
    out.clear();
    int i = 0;
    while (i < word.size()) {
        if (word.at(i) == '\\' && i + 1 < word.size() && word.at(i + 1) == '\'') {
            out.append('\'');
            i += 2;
            continue;
        }
        if (word.at(i) != '\'')
            return false;
        const int end = word.indexOf('\'', i + 1);
        if (end < 0)
            return false;
        out.append(word.mid(i + 1, end - i - 1));
        i = end + 1;
    }
    return true;
}

} // namespace

ZUM_FUZZ_PLAIN_SET_UP

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    const QByteArray input(reinterpret_cast<const char *>(data), int(size));
    using fuzzsupport::fail;
    const QList<QByteArray> secured = wifiscan::classify(input, true);
    const QList<QByteArray> open = wifiscan::classify(input, false);
    const QList<QByteArray> lines = input.split('\n');
    const QByteArray listFile = netshell::path(QStringLiteral("/media/data/wifisec.txt"));

    int used = 0;
    for (const QList<QByteArray> *list : {&secured, &open}) {
        for (const QByteArray &ssid : *list) {
            if (!ssid.contains("SSID") || ssid.contains('\n') || !lines.contains(ssid))
                fail(QStringLiteral("listed a line that is no \"SSID\" line of the scan"), input);
            // A command line is a C string: a name with a NUL byte cannot
            // reach the shell whole, however it is quoted.
            if (ssid.contains('\0'))
                continue;
            const QByteArray word = netshell::quoted(ssid);
            QByteArray back;
            if (!unquote(word, back) || back != ssid)
                fail(QStringLiteral("a scanned name is not one shell word"), input);
            const QByteArray command = "printf '%s\\n' " + word + " >> " + listFile;
            if (!platform::mapCommand(command).contains(" " + word + " >> "))
                fail(QStringLiteral("the path mapping changed a quoted name"), input);
        }
        used += list->size();
    }
    // Every "SSID" line of the scan is in exactly one of the two lists.
    int ssidLines = 0;
    for (const QByteArray &line : lines)
        ssidLines += line.contains("SSID") ? 1 : 0;
    if (used != ssidLines)
        fail(QStringLiteral("a network is in both lists or in neither"), input);
    fuzzsupport::feature(uint32_t(secured.size() < 8 ? secured.size() : 8) * 9u
                         + uint32_t(open.size() < 8 ? open.size() : 8));
    return 0;
}
