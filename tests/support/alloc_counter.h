// Counts calls of the global operator new while a scope is open, to prove a path allocates nothing.
#pragma once

#include <cstddef>

namespace k7v::test {

class AllocationCounter {
public:
    AllocationCounter();
    ~AllocationCounter();
    std::size_t Count() const;
};

}  // namespace k7v::test
