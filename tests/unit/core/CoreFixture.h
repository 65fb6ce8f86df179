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
        if (!board->start()) {
            qWarning() << board->errorString();
            return false;
        }
        GuiThread::setTiming(timing);
        gui = std::make_unique<GuiThread>();
        if (!serialLink.isOpen())
            return false;
        // Let both state machines enter their initial states.
        return QTest::qWaitFor([this] { return gui->isIdle() && !gui->isCalibrating(); }, 2000);
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
        QList<QByteArray> out;
        QByteArray cur;
        for (char c : board->receivedBytes()) {
            cur += c;
            if (c == '\r' || (c == 'x' && cur.size() == 1)) {
                out << cur;
                cur.clear();
            }
        }
        if (!cur.isEmpty())
            out << cur;
        return out;
    }
};

inline QList<QByteArray> fullWrite(int duty, int rise, int dwell, int fall, int delay, int cycles, int mode)
{
    QList<QByteArray> out{"\r"};
    out << "P04:" + QByteArray::number(duty) + "\r" << "P00:" + QByteArray::number(rise) + "\r"
        << "P01:" + QByteArray::number(dwell) + "\r" << "P02:" + QByteArray::number(fall) + "\r"
        << "P03:" + QByteArray::number(delay) + "\r" << "P05:" + QByteArray::number(cycles) + "\r";
    if (mode == 0 || mode == 1)
        out << "P12:" + QByteArray::number(mode) + "\r";
    return out;
}

} // namespace corefixture
