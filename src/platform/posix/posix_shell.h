// Starting programs and opening documents on a Linux workstation with the outcomes of the
// Windows shell.
#pragma once

#include "platform/platform.h"

namespace platform::posix {

class PosixShell : public Shell {
public:
    // Verbs "open" (or none) and "explore"; others have no association (31). A bare name is
    // looked up in the working folder (case ignored), then on PATH as written; "explorer.exe"
    // that is nowhere to be found opens its parameter (a folder) with the desktop's opener.
    // An executable file starts detached in the working folder; folders and other files go to
    // xdg-open (31 when it cannot be started).
    intptr_t execute(void* ownerWindow, const std::string& verb, const std::string& file,
                     const std::string& parameters, const std::string& directory, int showMode) override;
};

// The parameters as a program receives them: split on blanks and tabs, a pair of double quotes
// keeping blanks together (and removed).
std::vector<std::string> splitParameters(const std::string& parameters);

}  // namespace platform::posix
