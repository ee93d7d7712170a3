#include "support/recording_shell.h"

namespace testing_support {

intptr_t RecordingShell::execute(void* ownerWindow, const std::string& verb,
                                 const std::string& file, const std::string& parameters,
                                 const std::string& directory, int showMode) {
    calls.push_back({ownerWindow, verb, file, parameters, directory, showMode});
    return result;
}

}  // namespace testing_support
