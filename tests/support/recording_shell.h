// A shell for tests: records every call and answers each with the configured code.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "platform/platform.h"

namespace testing_support {

class RecordingShell : public platform::Shell {
public:
    struct Call {
        void* ownerWindow = nullptr;
        std::string verb, file, parameters, directory;
        int showMode = 0;
    };

    explicit RecordingShell(intptr_t result = 42) : result(result) {}

    intptr_t execute(void* ownerWindow, const std::string& verb, const std::string& file,
                     const std::string& parameters, const std::string& directory,
                     int showMode) override;

    intptr_t result;  // what every call returns
    std::vector<Call> calls;
};

}  // namespace testing_support
