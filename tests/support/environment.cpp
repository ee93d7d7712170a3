#include "support/environment.h"

#include <cstdlib>

namespace testing_support {

void SetEnv(const char* name, const char* value) {
#ifdef _WIN32
    _putenv_s(name, value ? value : "");
#else
    if (value) setenv(name, value, 1);
    else unsetenv(name);
#endif
}

}  // namespace testing_support
