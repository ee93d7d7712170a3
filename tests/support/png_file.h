// Writes a picture as an uncompressed PNG file, for looking at screenshots made by the tests.
#pragma once

#include <string>

#include "ui/controls.h"

namespace testing_support {

bool WritePng(const ui::Picture& picture, const std::string& path);

}  // namespace testing_support
