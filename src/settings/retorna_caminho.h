// The path resolver: turns a short code into a folder of the installation, a connection string,
// a file path or a port, reading qor.ini anew at every call.
#pragma once

#include <stdexcept>
#include <string>

#include "platform/platform.h"

namespace settings {

// A folder that the code needs neither exists nor could be created.
class PathError : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};

// A text that has to be a whole number is not one.
class ConversionError : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};

// Letter case of the code is ignored (ASCII only); blanks around it are not removed. Throws
// PathError or ConversionError; keeps nothing between calls.
std::string RetornaCaminho(const platform::Platform& platform, const std::string& code);

}  // namespace settings
