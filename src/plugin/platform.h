// What the plug-in needs from the system it runs on. The Windows DLL installs the real back-end
// when it loads; native builds (tests, the simulated host) install the simulated one.
#pragma once

#include <string>

namespace k7v::plugin {

class Platform {
public:
    virtual ~Platform() = default;

    // Full path of the plug-in's own module file.
    virtual std::string ModuleFileName() const = 0;
};

}  // namespace k7v::plugin
