// Layered transparency of forms: constant opacity and colour key through
// SetLayeredWindowAttributes, looked up by name in "User32" at every use.
#pragma once

#include <windows.h>

#include <cstdint>

#include "toolkit/controls.h"

// Flag words for SetLayeredWindowAttributes, indexed by AlphaBlend and TransparentColor.
inline constexpr uint32_t kAlphaBlendFlags[2] = {0, LWA_ALPHA};
inline constexpr uint32_t kTransparentColorFlags[2] = {0, LWA_COLORKEY};

#ifdef TUNELAMP_TEST_HOOKS
// Test builds only: when set, replaces GetProcAddress in the lookup of the attribute function.
using ProcedureLookup = FARPROC(WINAPI*)(HMODULE module, LPCSTR name);
extern ProcedureLookup LayeredProcedureLookupForTests;
#endif
