// The label as a live region for screen readers. NVDA reads the label's text on every
// EVENT_OBJECT_LIVEREGIONCHANGED (Win32Host::LabelAnnounce); Narrator does so only for a control
// marked as a live region, which a plain "static" window is not. The mark is an annotation of
// Active Accessibility (IAccPropServices in oleacc), made through COM: ole32 is loaded here at run
// time, from the system folder only (a copy beside tunelamp.exe is never taken), and COM loads
// oleacc from the system folder, where the registry says it is.
#include <windows.h>
#include <oleacc.h>

#include "app/win32_host.h"
#include "toolkit/helpers.h"

namespace {

using CoInitializeProc = HRESULT(WINAPI*)(LPVOID);
using CoCreateInstanceProc = HRESULT(WINAPI*)(REFCLSID, LPUNKNOWN, DWORD, REFIID, LPVOID*);

// CLSID_AccPropServices, IID_IAccPropServices and LiveSetting_Property_GUID, as oleacc.h and
// UIAutomation name them; defined here, so that no import library of COM is linked.
constexpr GUID kAccPropServices = {
    0xb5f8350b, 0x0548, 0x48b1, {0xa6, 0xee, 0x88, 0xbd, 0x00, 0xb4, 0xa5, 0xe7}};
constexpr GUID kAccPropServicesInterface = {
    0x6e26e776, 0x04f0, 0x495d, {0x80, 0xe4, 0x33, 0x30, 0x35, 0x2e, 0x31, 0x69}};
constexpr GUID kLiveSetting = {
    0xc12bcd8e, 0x2a8e, 0x4950, {0x8a, 0xe7, 0x36, 0x25, 0x11, 0x1d, 0x58, 0xeb}};
constexpr LONG kPolite = 1;  // LiveSetting: Off 0, Polite 1, Assertive 2

}  // namespace

// The COM apartment and the service object are kept for the life of the process: the mark
// belongs to the label's window as long as it exists.
void MarkLiveRegion(HWND label) {
  HMODULE ole32 = LoadSystemLibrary(L"ole32.dll");
  if (!ole32) return;
  const auto coInitialize = reinterpret_cast<CoInitializeProc>(
      reinterpret_cast<void (*)()>(::GetProcAddress(ole32, "CoInitialize")));
  const auto coCreateInstance = reinterpret_cast<CoCreateInstanceProc>(
      reinterpret_cast<void (*)()>(::GetProcAddress(ole32, "CoCreateInstance")));
  IAccPropServices* services = nullptr;
  if (!coInitialize || !coCreateInstance || FAILED(coInitialize(nullptr)) ||
      FAILED(coCreateInstance(kAccPropServices, nullptr, CLSCTX_INPROC_SERVER,
                              kAccPropServicesInterface, reinterpret_cast<void**>(&services))) ||
      !services) {
    return;
  }
  VARIANT polite = {};
  polite.vt = VT_I4;
  polite.lVal = kPolite;
  // Wine answers E_NOTIMPL, and systems before Windows 8 have no live regions; nothing else
  // depends on the answer.
  services->SetHwndProp(label, static_cast<DWORD>(OBJID_CLIENT), CHILDID_SELF, kLiveSetting,
                        polite);
}
