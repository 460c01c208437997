// The operations of the platform implementation below a layer, as
// ksr::below::X (see platform/layer.h). Only a layer that stands between
// the logic and the platform includes this.
#pragma once

#include "platform/wintypes.h"

namespace ksr {
namespace below {
#include "platform/platform_calls.inc"
}  // namespace below
}  // namespace ksr
