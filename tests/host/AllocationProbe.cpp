#include "AllocationProbe.h"

#include <cstdlib>
#include <new>

namespace {
bool g_active = false;
size_t g_largest = 0;
}  // namespace

AllocationProbe::AllocationProbe() {
  g_largest = 0;
  g_active = true;
}
AllocationProbe::~AllocationProbe() { g_active = false; }
size_t AllocationProbe::Largest() const { return g_largest; }

void* operator new(size_t size) {
  if (g_active && size > g_largest) g_largest = size;
  if (void* p = std::malloc(size ? size : 1)) return p;
  throw std::bad_alloc();
}
void operator delete(void* p) noexcept { std::free(p); }
void operator delete(void* p, size_t) noexcept { std::free(p); }
