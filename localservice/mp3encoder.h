// SPDX-License-Identifier: MIT
#pragma once

#include <QByteArray>
#include <QList>
#include <QString>

namespace Qorvin::LocalService {

struct Mp3Result
{
    QByteArray mp3;
    QString error; // empty on success
};

// Mono 16-bit samples as constant-bitrate MPEG Layer III frames (MPEG-1 at 32, 44.1 or 48 kHz),
// without a leading info frame, so that the file begins with an ordinary audio frame, and without
// the bit reservoir, so that no frame needs another's bytes.
Mp3Result encodeMp3(const QList<qint16>& samples, int sampleRate, int kbps);

} // namespace Qorvin::LocalService
