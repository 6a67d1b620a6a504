// SPDX-License-Identifier: MIT
// Whether an operation succeeded and, when it did not, why: the one result type of the program's
// file writes and reads.
#pragma once

#include <QString>

namespace Qorvin {

struct Outcome
{
    bool ok = false;
    QString errorString; // in Chinese, set when ok is false

    static Outcome success() { return {true, {}}; }
    static Outcome failure(const QString& reason) { return {false, reason}; }
};

} // namespace Qorvin
