// Records the largest single allocation made while a probe is alive.
#pragma once

#include <cstddef>

class AllocationProbe {
 public:
  AllocationProbe();
  ~AllocationProbe();
  size_t Largest() const;
};
