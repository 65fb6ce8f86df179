#pragma once

// The whole back end on a simulated board: a fresh root with the sysfs tree
// and a valve chip, the simulated driver board behind the serial link, the
// simulated remote server on 127.0.0.1, and one ThreadHandler started as the
// main window starts it. Tests that use it link core, zumobjects and zumsim,
// and take the `serialport` resource lock.
#include "GuiThread.h"
#include "ProcessObjects.h"
#include "QuickLink.h"
#include "SimBoard.h"
#include "SimOneWire.h"
#include "SimRemoteServer.h"
#include "SimRoot.h"
#include "SimSysfs.h"
#include "TestRoot.h"
#include "ThreadHandler.h"

#include <QSignalSpy>
#include <QtTest>

#include <memory>

struct BackendFixture {
    static constexpr const char *mac = "02:00:00:00:00:01";

    // Start-up write and link watch pushed out of the way unless a test wants them.
    static GuiThread::Timing quietTiming()
    {
        GuiThread::Timing t;
        t.reinitAfterStartMs = 600000;
        t.linkWatchMs = 600000;
        return t;
    }


    BackendFixture()
        : root(testroot::root())
        , sysfs(testroot::root())
        , oneWire(testroot::root())
    {
    }

    ~BackendFixture()
    {
        handler.reset();
        serialLink.closeSerialPort();
        board.reset();
        server.reset();
    }

    // Lays out the board, starts the simulators, creates the facade and runs
    // its start-up calls; true once the remote link is connected.
    bool up(const GuiThread::Timing &timing = quietTiming())
    {
        sim::SimSysfs::build(testroot::root());
        sysfs.setPiezoTemp(25);
        sysfs.setNozzleTemp(25);
        sysfs.setAmpTemp(30);
        sysfs.setBoostTemp(30);
        oneWire.addSlave();
        oneWire.putRecord(12345, 1);

        board = std::make_unique<sim::SimBoard>(testroot::root());
        if (!board->start()) {
            qWarning() << "simulated board:" << board->errorString();
            return false;
        }
        server = std::make_unique<sim::SimRemoteServer>();
        if (!server->start())
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

    int gpio(int line) const { return sysfs.gpioValue(line).trimmed().toInt(); }

    sim::SimRoot root;
    sim::SimSysfs sysfs;
    sim::SimOneWire oneWire;
    std::unique_ptr<sim::SimBoard> board;
    std::unique_ptr<sim::SimRemoteServer> server;
    std::unique_ptr<ThreadHandler> handler;
};
