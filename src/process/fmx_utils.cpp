#include "process/fmx_utils.h"

namespace process {

// Texts longer than 500 characters go to the shell whole: cutting them could start another
// program, and the shell reports by its own codes whatever it cannot handle.
uintptr_t ExecutaPrograma(platform::Shell& shell, void* ownerWindow, const std::string& file,
                          const std::string& parameters, const std::string& folder, int showMode) {
    try {
        return static_cast<uintptr_t>(
            shell.execute(ownerWindow, std::string(), file, parameters, folder, showMode));
    } catch (...) {
        return 0;  // the shell's own "out of memory or resources" value
    }
}

}  // namespace process
