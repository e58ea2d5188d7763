// Placeholder until the description-file commands land: says so and fails.
#include "cli.h"

namespace plomet {

int cmdWrite(QStringList)
{
    printError(QStringLiteral("'write' is not available in this build yet"));
    return kExitFailed;
}

} // namespace plomet
