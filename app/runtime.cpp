// The language runtime's one hook that the program would otherwise take from the library:
// its version reports through std::terminate and pulls in the demangler.
#include <windows.h>

extern "C" void __cxa_pure_virtual();

// A pure virtual function called through a half-built object: a bug, end at once.
extern "C" void __cxa_pure_virtual() {
  ExitProcess(3);
}
