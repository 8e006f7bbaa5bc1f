// The now-playing file on the disk (File= in [Share]).
#pragma once

#include <string_view>

#include "display/host.h"

// Whether File= (`path`, in UTF-8) can be written, as the settings window tells it when saved:
// the path made whole and its folder tried with the temporary file, which goes at once. The file
// itself is not touched.
[[nodiscard]] FileWrite CheckShareFile(std::string_view path);
