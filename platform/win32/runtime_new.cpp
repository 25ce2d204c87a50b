// The allocation operators over the C runtime's heap. The program is built
// without exceptions and asks for memory only through the non-throwing forms,
// so a failed allocation yields null everywhere; replacing libstdc++'s
// operators also keeps its exception and terminate machinery (with the symbol
// demangler behind it) out of the executable.
#include <cstdlib>
#include <new>

void* operator new(std::size_t size) { return std::malloc(size ? size : 1); }
void* operator new[](std::size_t size) { return std::malloc(size ? size : 1); }
void* operator new(std::size_t size, const std::nothrow_t&) noexcept {
    return std::malloc(size ? size : 1);
}
void* operator new[](std::size_t size, const std::nothrow_t&) noexcept {
    return std::malloc(size ? size : 1);
}
void operator delete(void* block) noexcept { std::free(block); }
void operator delete[](void* block) noexcept { std::free(block); }
void operator delete(void* block, std::size_t) noexcept { std::free(block); }
void operator delete[](void* block, std::size_t) noexcept { std::free(block); }
void operator delete(void* block, const std::nothrow_t&) noexcept { std::free(block); }
void operator delete[](void* block, const std::nothrow_t&) noexcept { std::free(block); }
