// What the driver board sends back: the echo of a parameter line judged by
// the control core, and the reads the main window takes apart (the "P17:"
// count records, which may be split over reads, and the "P26:" version).
// Input: one byte choosing the line sent, four bytes of its value, then the
// board's reads separated by 0x1E.
#include "EchoCheck.h"
#include "FuzzSupport.h"

#include <cmath>
#include <cstring>

ZUM_FUZZ_WITHOUT_LEAK_CHECK

namespace {

const char *const prefixes[] = {"P00:", "P01:", "P02:", "P03:", "P04:", "P05:", "P12:", "P28:", "P26:"};

fuzzsupport::Script *replies = nullptr;

void checkEcho(const QString &reply, const QString &prefix, int sent, const QByteArray &input)
{
    const bool answered = echocheck::answers(reply, prefix, sent);
    if (answered && !reply.startsWith(prefix))
        fuzzsupport::fail(QStringLiteral("an echo of another line was accepted"), input);
    // The board's own echo of a value the console can send always passes.
    if (sent >= 0 && sent <= 9999999 && !echocheck::answers(prefix + QString::number(sent) + QStringLiteral("\r\n"), prefix, sent))
        fuzzsupport::fail(QStringLiteral("the exact echo was refused"), input);
    fuzzsupport::feature(uint32_t(answered) * 31u + uint32_t(reply.size() < 12 ? reply.size() : 12));
}

} // namespace

extern "C" int LLVMFuzzerInitialize(int *, char ***)
{
    fuzzsupport::setUp();
    replies = new fuzzsupport::Script("Replies.js");
    // The carry over all reads and the window's handling of one read.
    replies->run(QStringLiteral(R"(
function countSplit(reads) {
    var carry = "", sum = 0, found = 0
    for (var i = 0; i < reads.length; ++i) {
        var c = sumCountRecords(carry, reads[i])
        if (c.carry.length > recordLength - 1 || (c.carry !== "" && !recordStart.test(c.carry)))
            throw new Error("bad carry " + JSON.stringify(c.carry))
        if (c.found < 0 || (!isNaN(c.sum) && (c.sum < 0 || Math.floor(c.sum) !== c.sum)))
            throw new Error("bad sum " + c.sum + " of " + c.found)
        carry = c.carry; sum += c.sum; found += c.found
    }
    return { sum: sum, found: found }
}
function windowReads(reads) {
    var carry = "", features = []
    for (var i = 0; i < reads.length; ++i) {
        var d = reads[i]
        if (d.indexOf("P26:") === 0) {
            carry = ""
            var v = firmwareVersion(d)
            if (typeof v !== "string" || v.length > 9)
                throw new Error("bad version " + v)
            features.push("v" + v.length)
        } else if (carry !== "" || d.indexOf("P17:") === 0) {
            var c = sumCountRecords(carry, d)
            carry = c.carry
            features.push("c" + Math.min(c.found, 4) + (isNaN(c.sum) ? "n" : "") + carry.length)
        }
    }
    return features.join(",")
}
)"),
                  QByteArray());
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    if (size < 5)
        return 0;
    const QByteArray input(reinterpret_cast<const char *>(data), int(size));
    const QString prefix = QLatin1String(prefixes[data[0] % (sizeof prefixes / sizeof *prefixes)]);
    int32_t sent;
    std::memcpy(&sent, data + 1, sizeof sent);
    // Reads reach the window as the serial link decodes them.
    const QString text = QString::fromUtf8(input.mid(5));
    const QStringList reads = text.split(QChar(0x1e));

    for (const QString &read : reads)
        checkEcho(read, prefix, sent, input);

    QJSValue array = replies->engine.newArray(uint(reads.size()));
    for (int i = 0; i < reads.size(); ++i)
        array.setProperty(quint32(i), reads.at(i));
    const QJSValue split = replies->call("countSplit", {array}, input);
    QJSValue whole = replies->engine.newArray(1);
    whole.setProperty(0, reads.join(QString()));
    const QJSValue joined = replies->call("countSplit", {whole}, input);
    // Where the reads break must not change what is counted.
    const double splitSum = split.property(QStringLiteral("sum")).toNumber();
    const double joinedSum = joined.property(QStringLiteral("sum")).toNumber();
    if (split.property(QStringLiteral("found")).toInt() != joined.property(QStringLiteral("found")).toInt()
        || (splitSum != joinedSum && !(std::isnan(splitSum) && std::isnan(joinedSum))))
        fuzzsupport::fail(QStringLiteral("records split over reads counted differently"), input);
    fuzzsupport::feature(replies->call("windowReads", {array}, input).toString());
    return 0;
}
