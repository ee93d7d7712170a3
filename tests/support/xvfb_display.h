// A private virtual X display for a test, started on a free display number and ended with it.
#pragma once

#include <functional>
#include <string>

namespace testing_support {

class XvfbDisplay {
public:
    XvfbDisplay();  // starts Xvfb when it is installed; see Running()
    ~XvfbDisplay();
    XvfbDisplay(const XvfbDisplay&) = delete;
    XvfbDisplay& operator=(const XvfbDisplay&) = delete;

    bool Running() const { return pid_ > 0; }
    const std::string& Name() const { return name_; }  // e.g. ":93", for DISPLAY
    // Makes this the process's display (DISPLAY) and waits, ten seconds at most, until `connects`
    // answers true; false when it never does.
    bool ServeThisProcess(const std::function<bool()>& connects) const;

private:
    long pid_ = -1;
    std::string name_;
};

}  // namespace testing_support
