// SPDX-License-Identifier: MIT
// Progress on stderr: one line updated in place on a terminal, plain lines otherwise, or nothing.
#pragma once

#include <QString>

#include <cstdio>

namespace Qorvin::Cli {

class ProgressLine
{
public:
    enum class Style
    {
        Silent,
        InPlace, // a terminal: each text replaces the last on the same line
        Lines,   // a file or pipe: each text on a line of its own
    };

    // The style for stderr: InPlace on a terminal, Lines elsewhere, Silent when quiet.
    static Style styleForStderr(bool quiet);

    explicit ProgressLine(Style style, std::FILE* out = stderr) : m_style(style), m_out(out) {}
    ~ProgressLine() { finish(); }

    ProgressLine(const ProgressLine&) = delete;
    ProgressLine& operator=(const ProgressLine&) = delete;

    void show(const QString& text);
    // Ends an in-place line, so that what is printed next starts on a line of its own.
    void finish();

private:
    Style m_style;
    std::FILE* m_out;
    QString m_last;
    bool m_lineOpen = false;
};

} // namespace Qorvin::Cli
