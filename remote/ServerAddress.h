#pragma once

#include <QHostAddress>
#include <QString>

namespace remote {

// The monitoring server's address as the settings hold it: four dotted
// decimal parts of 0 to 255. A leading zero does not make a part octal
// ("127.0.0.010" is 127.0.0.10), and nothing is looked up by name. Null when
// the text is not such an address, or not one a server can have (0.x.x.x,
// multicast, reserved).
QHostAddress serverAddress(const QString &text);

// True for a TCP port the link can connect to.
constexpr bool isServerPort(int port) { return port >= 1 && port <= 65535; }

} // namespace remote
