#include "platform/platform.h"
#include "platform/posix/posix_file_system.h"
#include "platform/posix/posix_processes.h"
#include "platform/posix/posix_shell.h"
#include "platform/posix/posix_system.h"

namespace platform {

Platform makeNativePlatform() {
    return Platform{std::make_shared<posix::PosixFileSystem>(), std::make_shared<posix::PosixProcesses>(),
                    std::make_shared<posix::PosixShell>(), std::make_shared<posix::PosixSystem>()};
}

}  // namespace platform
