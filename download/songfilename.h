// SPDX-License-Identifier: MIT
// File names made from song titles that are valid on Linux, Windows and macOS alike.
#pragma once

#include <QString>
#include <QUrl>

namespace Qorvin {

// A name without a folder part, or empty: characters illegal on any of the three systems
// (/ \ : * ? " < > | and control characters) become "_", leading and trailing blanks and dots
// are trimmed, a reserved Windows device name (CON, NUL, COM1, ...) gets a "_" after it, and the
// result is cut to at most maxUtf8Bytes UTF-8 bytes at a character boundary.
QString safeFileStem(const QString& text, int maxUtf8Bytes = 200);

// "<stem>.mp3" for a song: the stem from its plain title, else from the link's last path segment
// (without its extension), else "歌曲<songNumber>". The whole name stays within 200 UTF-8 bytes.
QString songFileName(const QString& plainTitle, const QUrl& link, int songNumber);

// "name.mp3" with copy 2 gives "name (2).mp3"; copy 1 gives the name itself.
QString numberedFileName(const QString& fileName, int copy);

} // namespace Qorvin
