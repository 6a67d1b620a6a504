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

// What a name template's fields stand for, for one song of a batch.
struct SongNameFields
{
    QString title;       // {title}: the plain title as the page shows it; {name} and {singer} are its parts
    int number = 0;      // {n}: the song's row, from 1; 0 when it has none
    int numberWidth = 1; // the digits {n} is padded to with zeros: those of the batch's last row
    QString keyword;     // {keyword}: the batch's keyword or topic caption
};

// The template every batch is named by unless the user chooses another: the title as it is.
inline constexpr auto DefaultNameTemplate = u"{title}";

// An empty string when nameTemplate can name songs, else the reason in Chinese (an unknown field,
// an unclosed brace, no field at all).
QString nameTemplateProblem(const QString& nameTemplate);

// "<folder>/.../<stem>.mp3" relative to the download folder: the fields filled in, "/" making a
// folder. Each segment is made safe on its own (safeFileStem): no "..", no leading dot, no
// separators; a folder at most 255 UTF-8 bytes, the file name within songFileName's bound. A field
// left empty (a title without a singer) leaves no dangling " - " and no empty folder. A file stem
// that comes out empty falls back to songFileName's.
QString songRelativePath(const QString& nameTemplate, const SongNameFields& fields, const QUrl& link);

// "name.mp3" with copy 2 gives "name (2).mp3"; copy 1 gives the name itself.
QString numberedFileName(const QString& fileName, int copy);

} // namespace Qorvin
