#include "toolkit/layered.h"

#ifdef TUNELAMP_TEST_HOOKS
ProcedureLookup LayeredProcedureLookupForTests = nullptr;
#endif

namespace {

using SetLayeredWindowAttributesProc = BOOL(WINAPI*)(HWND, COLORREF, BYTE, DWORD);

// Looked up afresh each time: the program binds it late, so it also starts on systems
// without layered windows.
SetLayeredWindowAttributesProc LookUpSetLayeredWindowAttributes() {
  HMODULE user32 = GetModuleHandleA("User32");
  const char* const name = "SetLayeredWindowAttributes";
#ifdef TUNELAMP_TEST_HOOKS
  FARPROC found = LayeredProcedureLookupForTests ? LayeredProcedureLookupForTests(user32, name)
                                                 : GetProcAddress(user32, name);
#else
  FARPROC found = GetProcAddress(user32, name);
#endif
  return reinterpret_cast<SetLayeredWindowAttributesProc>(reinterpret_cast<void (*)()>(found));
}

}  // namespace

void TForm::SetAlphaBlend(bool on) {
  if (on == AlphaBlend) return;
  AlphaBlend = on;
  ApplyLayeredAttributes();
}

void TForm::SetAlphaBlendValue(uint8_t alpha) {
  if (alpha == AlphaBlendValue) return;
  AlphaBlendValue = alpha;
  ApplyLayeredAttributes();
}

void TForm::ApplyLayeredAttributes() {
  if (!Handle) return;  // the values wait for a window that never comes
  const uint32_t style = static_cast<uint32_t>(GetWindowLongA(Handle, GWL_EXSTYLE));
  if (AlphaBlend || TransparentColor) {
    SetLayeredWindowAttributesProc setAttributes = LookUpSetLayeredWindowAttributes();
    // A layered window whose attributes are never set is not drawn at all, so without the
    // function the form stays an ordinary opaque window.
    if (setAttributes) {
      // Wholly transparent, it lets clicks through to what lies beneath, as Windows does for
      // the parts of a layered window whose alpha is 0 (X servers without a compositor do not).
      const uint32_t through = AlphaBlend && AlphaBlendValue == 0 ? WS_EX_TRANSPARENT : 0;
      SetWindowLongA(Handle, GWL_EXSTYLE,
                     static_cast<LONG>((style & ~static_cast<uint32_t>(WS_EX_TRANSPARENT)) |
                                       WS_EX_LAYERED | through));
      setAttributes(Handle, ResolveColor(TransparentColorValue), AlphaBlendValue,
                    kAlphaBlendFlags[AlphaBlend] | kTransparentColorFlags[TransparentColor]);
      return;
    }
  }
  SetWindowLongA(Handle, GWL_EXSTYLE,
                 static_cast<LONG>(style & ~static_cast<uint32_t>(WS_EX_LAYERED)));
}
