#pragma once

namespace ksr {

// The whole life of the process: header, device walk, footer.
void RunReport();

}  // namespace ksr
