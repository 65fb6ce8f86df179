#pragma once

// A console link talking to the simulated server on 127.0.0.1, with the
// session's pauses shortened so a test needs no long waits.
#include "CommClientInterface.h"
#include "QuickLink.h"
#include "SimRemoteServer.h"

#include <QSignalSpy>
#include <QtTest>

#include <memory>

struct RemoteFixture {
    static constexpr const char *mac = "00:11:22:33:44:55";

    static CommClientThread::Timing quickTiming() { return quickLinkTiming(); }

    explicit RemoteFixture(const CommClientThread::Timing &timing = quickTiming())
        : server(std::make_unique<sim::SimRemoteServer>())
        , client(std::make_unique<CommClientInterface>())
        , status(client.get(), &CommClientInterface::connectionStatus)
        , loads(client.get(), &CommClientInterface::loadProfile)
    {
        client->setTiming(timing);
        client->updateMcAdd(mac);
    }

    // Starts the server and points the console at it; true once connected.
    bool connect()
    {
        if (!server->start())
            return false;
        client->requestNewConnection("127.0.0.1", server->port());
        return QTest::qWaitFor([this] { return server->hasClient() && status.contains({true}); }, 5000);
    }

    // Sends one request and waits for its answer to be complete.
    QByteArray ask(const QByteArray &request, const QByteArray &expected)
    {
        server->send(request);
        [[maybe_unused]] const bool complete =
            QTest::qWaitFor([&] { return server->lastAnswer().size() >= expected.size(); }, 5000);
        return server->lastAnswer();
    }

    std::unique_ptr<sim::SimRemoteServer> server;
    std::unique_ptr<CommClientInterface> client;
    QSignalSpy status;
    QSignalSpy loads;
};
