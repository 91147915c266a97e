// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QImage>
#include <QString>

// A QR code of `text` (an address) for a phone's camera: black modules on
// white with the quiet zone around them, `scale` pixels a module. A null
// image when the text does not fit into a code.
QImage qrCodeImage(const QString& text, int scale);
