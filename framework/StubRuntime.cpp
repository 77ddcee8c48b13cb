// The C++ runtime pieces the stub supplies itself, to stay small.
//
// The stub's code is built without C++ exceptions and without the standard
// library's prebuilt string instantiations (see NoExternTemplates.h), so none
// of the library's exception machinery, and with it no thread library, is
// linked in. What would otherwise throw ends the process instead:
// - running out of memory ends it with exit code 14 (ERROR_OUTOFMEMORY); the
//   package reader bounds every allocation by the file, so only a machine
//   without memory gets here;
// - the library's checks for logic errors (lengths, ranges) abort; the stub's
//   code never triggers them.
// The default terminate handler would also bring a C++ demangler of 45 KB.
#include <windows.h>

#include <cstdlib>
#include <new>

namespace {
[[noreturn]] void OutOfMemory() { ::ExitProcess(ERROR_OUTOFMEMORY); }
}  // namespace

void* operator new(size_t size) {
  void* p = std::malloc(size ? size : 1);
  if (!p) OutOfMemory();
  return p;
}
void* operator new[](size_t size) { return operator new(size); }
void* operator new(size_t size, const std::nothrow_t&) noexcept { return std::malloc(size ? size : 1); }
void* operator new[](size_t size, const std::nothrow_t&) noexcept { return std::malloc(size ? size : 1); }
void operator delete(void* p) noexcept { std::free(p); }
void operator delete[](void* p) noexcept { std::free(p); }
void operator delete(void* p, size_t) noexcept { std::free(p); }
void operator delete[](void* p, size_t) noexcept { std::free(p); }

namespace __gnu_cxx {
void __verbose_terminate_handler() { std::abort(); }
}  // namespace __gnu_cxx

namespace std {
void __throw_bad_alloc() { OutOfMemory(); }
void __throw_bad_array_new_length() { OutOfMemory(); }
void __throw_length_error(const char*) { std::abort(); }
void __throw_logic_error(const char*) { std::abort(); }
void __throw_out_of_range(const char*) { std::abort(); }
void __throw_out_of_range_fmt(const char*, ...) { std::abort(); }
void __throw_invalid_argument(const char*) { std::abort(); }
}  // namespace std
