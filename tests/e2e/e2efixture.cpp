// SPDX-License-Identifier: MIT
#include "tests/e2e/e2efixture.h"

namespace Qorvin::Test {

QString serviceProgram()
{
    return QStringLiteral(QORVIN_SERVICE_PROGRAM);
}

} // namespace Qorvin::Test
