#pragma once
// Counts heap allocations made through operator new while counting is on (the test binary
// replaces the global operators).

namespace core_test {
void StartCountingAllocations();
// Stops counting; returns the number of allocations since the start.
int StopCountingAllocations();
}  // namespace core_test
