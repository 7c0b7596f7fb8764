#pragma once

#include <cstddef>
#include <functional>

namespace velquor::test {

// The most bytes that operator new held at one time while `body` ran, beyond what it held
// when `body` started. Counts every allocation of the test executable (its operator new and
// delete are replaced), so `body` should do nothing but what is measured.
std::size_t peakAllocation(const std::function<void()>& body);

} // namespace velquor::test
