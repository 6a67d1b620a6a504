// SPDX-License-Identifier: MIT
#pragma once

#include <QString>

namespace Qorvin {

// A Chinese reason for a failed file operation on path inside the download folder, from the errno
// the operation left and the state of the folder now: a folder removed or replaced by a file is
// named as such, anything else is worded as every failed file write of the program is.
QString diskErrorReason(const QString& folder, const QString& path, int errorNumber);

} // namespace Qorvin
