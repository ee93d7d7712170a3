#include "platform/win32/win32_filesystem.h"
#include "platform/win32/win32_processes.h"
#include "platform/win32/win32_shell.h"
#include "platform/win32/win32_system.h"

namespace platform {

Platform makeNativePlatform() {
    Platform machine;
    machine.files = std::make_shared<win32::Win32FileSystem>();
    machine.processes = std::make_shared<win32::Win32Processes>();
    machine.shell = std::make_shared<win32::Win32Shell>();
    machine.system = std::make_shared<win32::Win32System>();
    return machine;
}

}  // namespace platform
