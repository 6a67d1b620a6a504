// SPDX-License-Identifier: MIT
#include "cli/progressline.h"

#include <unistd.h>

namespace Qorvin::Cli {

ProgressLine::Style ProgressLine::styleForStderr(bool quiet)
{
    if (quiet)
        return Style::Silent;
    return isatty(STDERR_FILENO) ? Style::InPlace : Style::Lines;
}

void ProgressLine::show(const QString& text)
{
    if (m_style == Style::Silent || text == m_last)
        return;
    m_last = text;
    const QByteArray bytes = text.toUtf8();
    if (m_style == Style::InPlace) {
        // Back to the line's start, the new text, then clear what a longer old text left.
        std::fprintf(m_out, "\r%s\x1b[K", bytes.constData());
        m_lineOpen = true;
    } else {
        std::fprintf(m_out, "%s\n", bytes.constData());
    }
    std::fflush(m_out);
}

void ProgressLine::finish()
{
    if (!m_lineOpen)
        return;
    std::fputc('\n', m_out);
    std::fflush(m_out);
    m_lineOpen = false;
    m_last.clear();
}

} // namespace Qorvin::Cli
