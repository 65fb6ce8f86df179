#pragma once

#include <QByteArray>
#include <QList>

// Reading of a Wi-Fi scan filtered to its "SSID" and "RSN" lines.
namespace wifiscan {

// The "SSID" lines (line feed removed) of the secured networks, or of the
// open ones. Each "SSID" line is judged by the lines after it up to the next
// "SSID" line: an "RSN" line among them means secured. Every "SSID" line
// lands in one of the two lists (judging by the next line alone lost an open
// network that followed another one, or ended the scan, and took a secured
// one after an open one for open).
QList<QByteArray> classify(const QByteArray &scan, bool secured);

} // namespace wifiscan
