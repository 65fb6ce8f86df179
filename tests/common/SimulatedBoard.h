#pragma once

// Everything outside the console on a fresh simulated root: the sysfs tree at
// room temperature, one valve chip holding 12345 cycles, the driver board
// behind the serial link and the remote server on 127.0.0.1. Shared by the
// back-end and the whole-console fixtures.
#include "SimBoard.h"
#include "SimOneWire.h"
#include "SimRemoteServer.h"
#include "SimRoot.h"
#include "SimSysfs.h"
#include "TestRoot.h"

#include <QDebug>

#include <memory>

struct SimulatedBoard {
    SimulatedBoard()
        : root(testroot::root())
        , sysfs(testroot::root())
        , oneWire(testroot::root())
    {
    }

    ~SimulatedBoard()
    {
        board.reset();
        server.reset();
    }

    bool start()
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
        return server->start();
    }

    int gpio(int line) const { return sysfs.gpioValue(line).trimmed().toInt(); }

    sim::SimRoot root;
    sim::SimSysfs sysfs;
    sim::SimOneWire oneWire;
    std::unique_ptr<sim::SimBoard> board;
    std::unique_ptr<sim::SimRemoteServer> server;
};
