// The program's allocation for `new` and `delete`: plain malloc and free.
// The library's own operator new throws std::bad_alloc, and linking it statically pulls in the
// exception and unwinding machinery; the toolkit never reports failures anyway.
#include <cstdlib>
#include <new>

void* operator new(std::size_t size) {
  return std::malloc(size ? size : 1);
}
void* operator new[](std::size_t size) {
  return std::malloc(size ? size : 1);
}
void operator delete(void* block) noexcept {
  std::free(block);
}
void operator delete[](void* block) noexcept {
  std::free(block);
}
void operator delete(void* block, std::size_t) noexcept {
  std::free(block);
}
void operator delete[](void* block, std::size_t) noexcept {
  std::free(block);
}
