// The process's own environment, as the tests change it for the code they run.
#pragma once

namespace testing_support {

// Sets or (value null) removes an environment variable of this process.
void SetEnv(const char* name, const char* value);

}  // namespace testing_support
