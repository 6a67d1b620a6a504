// SPDX-License-Identifier: MIT
#pragma once

#include <QString>

namespace Qorvin {

// A Chinese reason for a failed file operation on path inside folder, from the errno the operation
// left and the state of the folder now (removed, a file, read-only). detail is the system's message.
QString diskErrorReason(const QString& folder, const QString& path, int errorNumber, const QString& detail);

} // namespace Qorvin
