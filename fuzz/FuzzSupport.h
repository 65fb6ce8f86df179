#pragma once

// Shared by the fuzz targets: a quiet Qt set-up, a throw-away ZUM_ROOT,
// scripts of the page bundle run in a QJSEngine, and extra coverage
// counters for behaviour the fuzzer cannot see by itself (script code).

#include <QByteArray>
#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QJSEngine>
#include <QJSValue>
#include <QString>
#include <QTemporaryDir>

#include <cstdint>
#include <cstdio>
#include <cstdlib>

// For the targets that run page scripts: the script engine keeps its objects
// in memory of its own that the leak checker does not scan, so every string
// handed to it would be reported as leaked.
#define ZUM_FUZZ_WITHOUT_LEAK_CHECK \
    extern "C" const char *__asan_default_options() { return "detect_leaks=0"; }

// The start-up of a target that needs nothing but the common set-up below.
#define ZUM_FUZZ_PLAIN_SET_UP                                   \
    extern "C" int LLVMFuzzerInitialize(int *, char ***)      \
    {                                                         \
        fuzzsupport::setUp();                                 \
        return 0;                                             \
    }

namespace fuzzsupport {

// libFuzzer treats every non-zero byte here as a feature, like its own edge
// counters: a script outcome never seen before keeps the input.
__attribute__((used, section("__libfuzzer_extra_counters"))) inline uint8_t extraCounters[4096];

inline void feature(uint32_t id)
{
    uint8_t &counter = extraCounters[(id * 2654435761u) % sizeof extraCounters];
    if (counter < 255)
        ++counter;
}

inline void feature(const QString &text)
{
    feature(static_cast<uint32_t>(qHash(text)));
}

[[noreturn]] inline void fail(const QString &what, const QByteArray &input)
{
    std::fprintf(stderr, "fuzz check failed: %s\ninput: %s\n", qPrintable(what),
                 input.toPercentEncoding().constData());
    std::abort();
}

inline void quiet(QtMsgType, const QMessageLogContext &, const QString &) {}

// A QCoreApplication with logging silenced, a fresh ZUM_ROOT (removed when
// the process ends normally) and the simulator's fake tools first on PATH,
// so that nothing a target does reaches the real board files or tools.
inline void setUp()
{
    static int argc = 1;
    static char name[] = "fuzz";
    static char *argv[] = {name, nullptr};
    static QCoreApplication app(argc, argv);
    static QTemporaryDir root(QDir::tempPath() + QStringLiteral("/zumfuzz.XXXXXX"));
    if (!root.isValid())
        std::abort();
    qputenv("ZUM_ROOT", root.path().toLocal8Bit());
    qputenv("PATH", QByteArray(ZUM_SIM_TOOLS) + ':' + qgetenv("PATH"));
    QDir(root.path()).mkpath(QStringLiteral("media/data"));
    if (!qEnvironmentVariableIsSet("ZUM_FUZZ_VERBOSE"))
        qInstallMessageHandler(quiet);
}

// One script of the page bundle loaded as the pages load it; its functions
// are then globals of the engine.
class Script
{
public:
    explicit Script(const char *file)
    {
        QFile source(QStringLiteral(ZUM_QML_DIR "/") + QLatin1String(file));
        if (!source.open(QIODevice::ReadOnly))
            fail(QStringLiteral("cannot read ") + source.fileName(), QByteArray());
        QString text = QString::fromUtf8(source.readAll());
        // ".pragma library" is a directive of the QML loader, not script.
        text.replace(QLatin1String(".pragma library"), QLatin1String("//pragma library"));
        check(engine.evaluate(text, source.fileName()), QByteArray());
    }

    QJSEngine engine;

    // Evaluates script text; an exception fails the run.
    QJSValue run(const QString &code, const QByteArray &input)
    {
        return check(engine.evaluate(code), input);
    }

    QJSValue call(const char *function, const QJSValueList &args, const QByteArray &input)
    {
        return check(engine.globalObject().property(QLatin1String(function)).call(args), input);
    }

    QJSValue check(const QJSValue &result, const QByteArray &input)
    {
        if (result.isError())
            fail(result.toString() + QStringLiteral(" at line ") + result.property(QStringLiteral("lineNumber")).toString(),
                 input);
        return result;
    }
};

} // namespace fuzzsupport
