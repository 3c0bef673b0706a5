// The runtime pieces Kestrova.exe and rm.exe take from here instead of
// libstdc++. Both are built without exceptions, yet libstdc++'s headers still
// call the std::__throw_* helpers when a precondition fails (at() out of
// range, a string longer than max_size(), an empty std::function called), and
// operator new when memory runs out. The library's versions throw, and linking
// them brings in the unwinder, the exception classes and the terminate
// handler with its name demangler: most of the programs' size. Nothing in
// either program catches an exception, so such a throw always ended the
// process through std::terminate and abort(); these versions call abort()
// straight away.
#include <cstddef>
#include <cstdlib>
#include <new>

// NOLINTBEGIN(cert-dcl58-cpp): the helpers are declared in std by
// <bits/functexcept.h>; these definitions take the place of the library's.
namespace std {

void __throw_bad_exception() {
    abort();
}
void __throw_bad_alloc() {
    abort();
}
void __throw_bad_array_new_length() {
    abort();
}
void __throw_bad_cast() {
    abort();
}
void __throw_bad_typeid() {
    abort();
}
void __throw_logic_error(const char* /*what*/) {
    abort();
}
void __throw_domain_error(const char* /*what*/) {
    abort();
}
void __throw_invalid_argument(const char* /*what*/) {
    abort();
}
void __throw_length_error(const char* /*what*/) {
    abort();
}
void __throw_out_of_range(const char* /*what*/) {
    abort();
}
// Variadic as the header declares it (a printf-style message).
void __throw_out_of_range_fmt(const char* /*format*/, ...) {  // NOLINT(cert-dcl50-cpp)
    abort();
}
void __throw_runtime_error(const char* /*what*/) {
    abort();
}
void __throw_range_error(const char* /*what*/) {
    abort();
}
void __throw_overflow_error(const char* /*what*/) {
    abort();
}
void __throw_underflow_error(const char* /*what*/) {
    abort();
}
void __throw_ios_failure(const char* /*what*/) {
    abort();
}
void __throw_ios_failure(const char* /*what*/, int /*error*/) {
    abort();
}
void __throw_system_error(int /*error*/) {
    abort();
}
void __throw_future_error(int /*error*/) {
    abort();
}
void __throw_bad_function_call() {
    abort();
}

}  // namespace std
// NOLINTEND(cert-dcl58-cpp)

// A call of a pure virtual function (during a base's construction or
// destruction); the library's version goes through the terminate handler.
extern "C" void __cxa_pure_virtual() {
    abort();
}

// The library's operator new throws std::bad_alloc when malloc fails, which
// would bring the exception machinery back; no new-handler is ever installed.
void* operator new(std::size_t size) {
    // malloc(0) may return null; a request for no bytes still gets an address.
    void* memory = std::malloc(size == 0 ? 1 : size);
    if (memory == nullptr) {
        std::abort();
    }
    return memory;
}

void* operator new[](std::size_t size) {
    return operator new(size);
}

void operator delete(void* memory) noexcept {
    std::free(memory);
}

void operator delete[](void* memory) noexcept {
    std::free(memory);
}

void operator delete(void* memory, std::size_t /*size*/) noexcept {
    std::free(memory);
}

void operator delete[](void* memory, std::size_t /*size*/) noexcept {
    std::free(memory);
}
