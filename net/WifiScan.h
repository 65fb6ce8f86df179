#pragma once

#include <QByteArray>
#include <QList>

// Reading of a Wi-Fi scan filtered to its "SSID" and "RSN" lines.
namespace wifiscan {

// The "SSID" lines (line feed removed) of the secured networks, or of the
// open ones. Each "SSID" line is judged by the line right after it, which is
// consumed whatever it holds: "RSN" there means secured. So an "SSID" line
// that follows another one, or ends the text, lands in neither list.
QList<QByteArray> classify(const QByteArray &scan, bool secured);

} // namespace wifiscan
