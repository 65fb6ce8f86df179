#pragma once

// Shared set-up of the control-object tests: a simulated driver board behind
// the serial link and a fresh control object per test.
#include "GuiThread.h"
#include "ProcessObjects.h"
#include "SimBoard.h"
#include "SimSysfs.h"
#include "TestRoot.h"

#include <QElapsedTimer>
#include <QList>
#include <QSignalSpy>
#include <QtTest>

#include <memory>

namespace corefixture {

// Intervals that keep the start-up write and the link watch out of the way.
inline GuiThread::Timing quietTiming()
{
    GuiThread::Timing t;
    t.reinitAfterStartMs = 600000;
    t.linkWatchMs = 600000;
    return t;
}

struct Bench {
    std::unique_ptr<sim::SimBoard> board;
    std::unique_ptr<GuiThread> gui;

    // Starts the board, then builds the control object, which opens the port.
    bool up(const GuiThread::Timing &timing = quietTiming())
    {
        board = std::make_unique<sim::SimBoard>(testroot::root());
        if (!board->start())
            return false;
        GuiThread::setTiming(timing);
        gui = std::make_unique<GuiThread>();
        // Let both state machines enter their initial states.
        return serialLink.isOpen()
            && QTest::qWaitFor([this] { return gui->isIdle() && !gui->isCalibrating(); }, 2000);
    }

    // The same with the board's sysfs tree, initialised as on the board.
    bool upOnBoard()
    {
        sim::SimSysfs::build(testroot::root());
        if (!up())
            return false;
        gui->intializeVariables(QStringLiteral("arm"));
        return true;
    }

    ~Bench()
    {
        gui.reset();
        serialLink.closeSerialPort();
        board.reset();
    }

    // Received bytes split after each carriage return or lone "x".
    QList<QByteArray> lines() const
    {
        QList<QByteArray> out{QByteArray()};
        for (char c : board->receivedBytes()) {
            out.last() += c;
            if (c == '\r' || (c == 'x' && out.last().size() == 1))
                out << QByteArray();
        }
        if (out.last().isEmpty())
            out.removeLast();
        return out;
    }
};

// The first argument of each emission, as an int.
inline QList<int> values(const QSignalSpy &spy)
{
    QList<int> out;
    for (const QList<QVariant> &args : spy)
        out << args.at(0).toInt();
    return out;
}

// The line reset and the parameter lines of one full write.
inline QList<QByteArray> fullWrite(int duty, int rise, int dwell, int fall, int delay, int cycles, int mode)
{
    QList<QByteArray> out{"\r"};
    int i = 0;
    for (int value : {duty, rise, dwell, fall, delay, cycles})
        out << QByteArray("P0") + "401235"[i++] + ':' + QByteArray::number(value) + '\r';
    if (mode == 0 || mode == 1)
        out << "P12:" + QByteArray::number(mode) + "\r";
    return out;
}

} // namespace corefixture
