#pragma once

// The whole back end on a simulated board: a fresh root with the sysfs tree
// and a valve chip, the simulated driver board behind the serial link, the
// simulated remote server on 127.0.0.1, and one ThreadHandler started as the
// main window starts it. Tests that use it link core, zumobjects and zumsim,
// and take the `serialport` resource lock.
#include "GuiThread.h"
#include "ProcessObjects.h"
#include "QuickLink.h"
#include "SimulatedBoard.h"
#include "ThreadHandler.h"

#include <QSignalSpy>
#include <QtTest>

#include <memory>

struct BackendFixture : SimulatedBoard {
    static constexpr const char *mac = "02:00:00:00:00:01";

    // Start-up write and link watch pushed out of the way unless a test wants them.
    static GuiThread::Timing quietTiming()
    {
        GuiThread::Timing t;
        t.reinitAfterStartMs = 600000;
        t.linkWatchMs = 600000;
        return t;
    }


    ~BackendFixture()
    {
        handler.reset();
        serialLink.closeSerialPort();
    }

    // Lays out the board, starts the simulators, creates the facade and runs
    // its start-up calls; true once the remote link is connected.
    bool up(const GuiThread::Timing &timing = quietTiming())
    {
        if (!start())
            return false;

        GuiThread::setTiming(timing);
        handler = std::make_unique<ThreadHandler>();
        handler->remoteLink().setTiming(quickLinkTiming());
        if (!serialLink.isOpen())
            return false;
        handler->startGUIThread(QStringLiteral("arm"));
        handler->setSystemType(QStringLiteral("JET_VALVE"));
        handler->iotStart(QLatin1String(mac), QStringLiteral("127.0.0.1"), server->port());
        return QTest::qWaitFor([this] { return server->hasClient(); }, 5000);
    }

    // Serial log lines of the console (myLog.txt).
    QStringList serialLog() const
    {
        return QString::fromLatin1(root.readFile("/media/data/myLog.txt")).split('\n', Qt::SkipEmptyParts);
    }

    std::unique_ptr<ThreadHandler> handler;
};
