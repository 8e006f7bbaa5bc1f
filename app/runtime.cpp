// The language runtime's hooks that the program would otherwise take from the library.
#include <windows.h>

#include <cstdlib>

extern "C" void __cxa_pure_virtual();

// Its version reports through std::terminate and pulls in the demangler (about 60 KB).
// A pure virtual function called through a half-built object: a bug, end at once.
extern "C" void __cxa_pure_virtual() {
  ExitProcess(3);
}

// Static objects register their destructors here. The C runtime's start-up code, which this
// program does without (entry.cpp), would keep them for exit(); the process ends only through
// ExitProcess, which runs none of them, so there is nothing to keep. (Without this, the
// reference would go to msvcrt.dll's atexit as imported data, which needs that start-up code.)
extern "C" int atexit(void (*)()) {
  return 0;
}
