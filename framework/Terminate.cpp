// Size of the stub: what the toolchain's C++ runtime would otherwise link in.
//
// The default terminate handler prints the demangled type of an uncaught
// exception, which brings a 45 KB demangler. The library's throw helpers for
// logic errors (length_error, out_of_range, ...) bring the exception classes
// with their own string type, and with them random_device and a thread
// library. The stub lets no exception escape and never indexes out of range,
// so those paths end the process. Running out of memory still throws
// std::bad_alloc, which the extraction catches.
#include <cstdlib>
#include <new>

namespace __gnu_cxx {
void __verbose_terminate_handler() { std::abort(); }
}  // namespace __gnu_cxx

namespace std {
void __throw_bad_alloc() { throw std::bad_alloc(); }
void __throw_bad_array_new_length() { throw std::bad_alloc(); }
void __throw_length_error(const char*) { std::abort(); }
void __throw_logic_error(const char*) { std::abort(); }
void __throw_out_of_range(const char*) { std::abort(); }
void __throw_out_of_range_fmt(const char*, ...) { std::abort(); }
void __throw_invalid_argument(const char*) { std::abort(); }
}  // namespace std
