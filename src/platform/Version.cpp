#include "platform/Version.h"

namespace tolv {

// TOLVSYS_VERSION is defined for this file alone, so a new version rebuilds one file.
const char* programVersion() { return TOLVSYS_VERSION; }

} // namespace tolv
