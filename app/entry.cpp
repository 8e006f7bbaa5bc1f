// The process's entry, in place of the C runtime's start-up code (the program links with
// -nostartfiles). That code sets up what this program never uses (its arguments as argv, the
// x87 precision, a TLS directory, an exception filter) and, linked statically, brings its
// code, unwind tables and imports. msvcrt.dll initialises itself when it is loaded, so malloc
// and free work without it.
//
// What start-up must still do is done here: run the static constructors, and call WinMain as
// Windows' own start-up would, with the module, no previous instance, the command line after
// the program's name and the show state that the starting process asked for.
#include <windows.h>

extern "C" {
// The linker's list of static constructors: -1, the constructors, then 0.
extern void (*__CTOR_LIST__[])();
// Bounds of the linker's list of runtime pseudo-relocations (data imported from a DLL
// without dllimport), which only the runtime's start-up code applies.
extern const char __RUNTIME_PSEUDO_RELOC_LIST__;
extern const char __RUNTIME_PSEUDO_RELOC_LIST_END__;
// The entry named to the linker (-Wl,--entry): Windows jumps here with a stack aligned to 4.
[[noreturn]] __attribute__((force_align_arg_pointer)) void WinMainCRTStartup();
}

namespace {

// The command line without the program's name, as WinMain gets it: the name is one word or a
// quoted string; the blanks after it go too.
LPSTR ArgumentsOf(LPSTR commandLine) {
  auto* at = reinterpret_cast<unsigned char*>(commandLine);
  if (*at == '"') {
    while (*++at && *at != '"') {
    }
    if (*at == '"') ++at;
  } else {
    while (*at > ' ') ++at;
  }
  while (*at && *at <= ' ') ++at;
  return reinterpret_cast<LPSTR>(at);
}

int ShowStateAskedFor() {
  STARTUPINFOA startup = {};
  startup.cb = sizeof startup;
  GetStartupInfoA(&startup);
  return (startup.dwFlags & STARTF_USESHOWWINDOW) ? startup.wShowWindow : SW_SHOWDEFAULT;
}

}  // namespace

// Static objects register their destructors here. The C runtime's start-up code would keep them for
// exit(); this process ends only through ExitProcess, which runs none of them, so there is nothing
// to keep. (Without this, the reference would go to msvcrt.dll's atexit as data to import, which
// needs a runtime pseudo-relocation: see below.)
extern "C" int atexit(void (*)()) {
  return 0;
}

void WinMainCRTStartup() {
  // Everything but Windows' DLLs is linked in, and their data is imported with dllimport, so
  // the list is empty; if that ever changes, end at once rather than run with wrong pointers.
  // (A difference, not a comparison: the compiler takes two objects' addresses to differ.)
  if (&__RUNTIME_PSEUDO_RELOC_LIST_END__ - &__RUNTIME_PSEUDO_RELOC_LIST__ != 0) ExitProcess(4);
  // Run here rather than by the runtime's own runner, which brings a section of unwind data for
  // these few instructions. Last to first, as that runner calls them.
  size_t count = 0;
  while (__CTOR_LIST__[count + 1]) ++count;
  for (; count > 0; --count) __CTOR_LIST__[count]();
  const int result = WinMain(GetModuleHandleA(nullptr), nullptr, ArgumentsOf(GetCommandLineA()),
                             ShowStateAskedFor());
  ExitProcess(static_cast<UINT>(result));
}
