#pragma once
// A kept configuration written to a file, the same way from the window and the command line.
#include "config/config_document.hpp"

#include <string>

namespace qv {

// A .bCFG file holds the image byte for byte; any other name is a .qvx file of its settings,
// converted in scratch (a document started up, which then holds the image).
SaveResult exportStoredImage(const ConfigImage& image, const std::string& path,
                             ConfigDocument& scratch);

} // namespace qv
