// The mounts of simulated shares as the machine sees them, so that none is left behind.
#pragma once

#include <string>

namespace share {

constexpr const char* kSubtype = "atu-share";
// The file system name a share's mount carries: it names the serving process.
std::string FileSystemName(long pid);
// Whether a folder is the mount point of a simulated share now.
bool IsShareMount(const std::string& mountPoint);
// The device number ("major:minor") a mount point's file system has; empty when not mounted.
std::string DeviceOf(const std::string& mountPoint);
// Unmounts at once, even while busy (the mount goes when its last user lets go).
bool UnmountLazily(const std::string& mountPoint);
// Lazily unmounts the shares whose serving process is gone (killed), so that no stale mount is
// left for other programs to meet. Returns how many it unmounted.
int SweepStaleMounts();

}  // namespace share
