// Files that are no regular file, as anyone who can write on a share can leave them under any
// name: a named pipe (whose plain open waits for a writer), a socket and a device node.
#pragma once

#include <string>
#include <vector>

namespace testing_support {

// Makes a pipe, a socket and a device node (one that never ends a read: /dev/zero's; a link to
// it where this user may not make devices) at `folder` + each of the three names, in that order.
void MakeSpecialFiles(const std::string& folder, const std::vector<std::string>& names);

}  // namespace testing_support
