// The constructors that make form and label objects together with their windows.
#include "toolkit/controls.h"
#include "toolkit/routing.h"

namespace {

constexpr DWORD kFormWindowStyle = WS_SYSMENU | WS_THICKFRAME | WS_MINIMIZEBOX | WS_MAXIMIZEBOX;
static_assert(kFormWindowStyle == 0x000F0000, "form window style");
constexpr uint32_t kLabelStyle = WS_CHILD | WS_VISIBLE;
constexpr uint32_t kClipStyles = WS_CLIPSIBLINGS | WS_CLIPCHILDREN;
static_assert((kLabelStyle | kClipStyles) == 0x56000000, "label window style");

HINSTANCE ModuleInstance() {
  return GetModuleHandleA(nullptr);
}

void LinkObject(HWND window, TWinControl* object) {
  SetPropA(window, kObjectProperty, static_cast<HANDLE>(object));
}

}  // namespace

TWinControl::TWinControl(TWinControl* parent) : TWinControl() {
  Parent = parent;
  Enabled = true;
  Left = 2;
  Top = 2;
}

TForm::TForm(TWinControl* parent, const Text& caption, bool dropShadow) : TWinControl() {
  Caption = caption;
  WindowClassName = "TForm";
  Parent = parent;
  Left = 200;
  Top = 100;
  Width = 300;
  Height = 250;
  Kind = kFormControl;
  Visible = true;
  Color = kButtonFaceColor;
  BorderStyle = 2;
  AlphaBlendValue = 255;

  // Every form registers the class; only the first registration takes, and later forms get
  // its style and procedure.
  HINSTANCE instance = ModuleInstance();
  WindowClass.style = CS_HREDRAW | CS_VREDRAW | (dropShadow ? CS_DROPSHADOW : 0u);
  WindowClass.lpfnWndProc = WindowProcedure();
  WindowClass.hInstance = instance;
  WindowClass.hIcon = LoadIconA(instance, kMainIcon);
  WindowClass.hCursor = LoadCursorA(nullptr, IDC_ARROW);
  WindowClass.hbrBackground = reinterpret_cast<HBRUSH>(COLOR_BTNFACE + 1);
  WindowClass.lpszClassName = WindowClassName.CStr();
  RegisterClassA(&WindowClass);

  Handle = CreateWindowExA(0, WindowClassName.CStr(), Caption.CStr(), kFormWindowStyle, Left, Top,
                           Width, Height, GetParentHandle(), nullptr, instance, nullptr);
  LinkObject(Handle, this);
  Canvas = MakeCanvas(Handle);
  Icon = LoadIconA(instance, kMainIcon);
  Send(WM_SETICON, ICON_BIG, reinterpret_cast<LPARAM>(Icon));
}

TLabel::TLabel(TWinControl* parent, const Text& caption) : TWinControl(parent) {
  if (!parent) ExitProcess(0);
  Width = 32;
  Height = 14;
  WindowClassName = "static";
  Caption = caption;
  Style = kLabelStyle;
  Color = GetSysColor(COLOR_BTNFACE);

  Style |= kClipStyles;
  Handle = CreateWindowExA(ExStyle, WindowClassName.CStr(), Caption.CStr(), Style, Left, Top, Width,
                           Height, GetParentHandle(), nullptr, ModuleInstance(), nullptr);
  // Linked before subclassing, so the first message through the toolkit finds its object.
  LinkObject(Handle, this);
  PreviousWindowProcedure = reinterpret_cast<WNDPROC>(GetWindowLongA(Handle, GWL_WNDPROC));
  SetWindowLongA(Handle, GWL_WNDPROC, reinterpret_cast<LONG>(WindowProcedure()));
  Font = new TFont;
  Font->SetOwner(this);
  Canvas = MakeCanvas(Handle);
}
