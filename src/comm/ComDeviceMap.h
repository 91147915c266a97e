#pragma once

#include <QString>

// Where port number n lives on this system. The numbers are the ones the
// operator picks and the settings store, so the mapping is fixed:
// COM1-COM4 are the on-board UARTs, COM5-COM12 USB serial adapters,
// COM13-COM16 USB modem-class (CDC ACM) devices.
namespace ComDeviceMap {

constexpr int kFirstPort = 1;
constexpr int kLastPort = 16;

// "ttyS2" for port 3; empty for a number outside 1..16.
QString deviceName(int port);

// deviceName joined to the device folder ("/dev" in the program); empty when
// the number has no device.
QString devicePath(const QString& folder, int port);

} // namespace ComDeviceMap
