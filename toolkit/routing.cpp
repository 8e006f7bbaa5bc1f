#include "toolkit/routing.h"

TWinControl* MainWindow = nullptr;

namespace {

// Client coordinates are signed 16-bit halves of lParam: negative values survive.
int32_t MouseX(int32_t lParam) {
  return static_cast<int16_t>(lParam & 0xFFFF);
}
int32_t MouseY(int32_t lParam) {
  return static_cast<int16_t>((lParam >> 16) & 0xFFFF);
}

int32_t AsResult(HBRUSH brush) {
  return static_cast<int32_t>(reinterpret_cast<intptr_t>(brush));
}

void FireMouseButton(TWinControl& self, TWindowMessage& message, TMouseButtonKind button,
                     bool isRelease) {
  self.Dispatch(message);
  const TMouseButtonEvent& event = isRelease ? self.OnMouseUp : self.OnMouseDown;
  if (!event.IsSet()) return;
  // Only a release reports its modifiers; a press always gets the empty set.
  const TShiftFlags shift = isRelease ? ReleaseShiftFlags(message.WParam) : 0;
  event(&self, button, shift, MouseX(message.LParam), MouseY(message.LParam));
}

void FireKey(TWinControl& self, TWindowMessage& message, const TKeyEvent& event) {
  if (event.IsSet()) {
    uint16_t key = static_cast<uint16_t>(message.WParam);
    event(&self, key, 0);
    message.WParam = (message.WParam & 0xFFFF0000u) | key;
  }
  self.Dispatch(message);
}

void Close(TWinControl& self, TWindowMessage& message) {
  if (self.OnClose.IsSet() && !self.OnClose(&self)) {
    message.Result = 0;
    return;
  }
  if (&self == MainWindow) {
    // Straight to DefWindowProcA: it destroys the window, and WM_DESTROY ends the process.
    DefWindowProcA(self.Handle, message.Msg, message.WParam, message.LParam);
  } else {
    // A secondary window is only hidden, and gives the input back to its parent.
    if (MainWindow && MainWindow->Kind == kPlainControl) MainWindow->Send(WM_CLOSE, 0, 0);
    EnableWindow(self.GetParentHandle(), TRUE);
    ShowWindow(self.Handle, SW_HIDE);
  }
  message.Result = 0;
}

void EraseBackground(TWinControl& self, TWindowMessage& message) {
  HDC dc = reinterpret_cast<HDC>(message.WParam);
  RECT client{};
  GetClientRect(self.Handle, &client);
  if (self.BackgroundMode != kOpaqueBackground && self.Parent) {
    // FillRect takes small brush values for system colours: without a parent brush it
    // would still paint, where nothing is meant to be painted.
    if (self.BackgroundMode == kParentBackground && self.Parent->BackgroundBrush) {
      FillRect(dc, &client, self.Parent->BackgroundBrush);
    }
    message.Result = 1;
  } else if (self.BackgroundBrush) {
    FillRect(dc, &client, self.BackgroundBrush);
    message.Result = 1;
  }
  // With the result at 1 this reaches only the handler table.
  self.Dispatch(message);
}

void SetCursorShape(TWinControl& self, TWindowMessage& message) {
  if (self.Cursor && (message.LParam & 0xFFFF) == HTCLIENT) {
    SetCursor(self.Cursor);
    message.Result = 1;
    return;
  }
  self.Dispatch(message);
}

void ColorChild(TWinControl& self, TWindowMessage& message) {
  self.Dispatch(message);
  TWinControl* child = ObjectOfWindow(reinterpret_cast<HWND>(message.LParam));
  if (!child) return;
  HDC dc = reinterpret_cast<HDC>(message.WParam);
  SetBkColor(dc, ResolveColor(child->Color));
  SetTextColor(dc, child->TextColor);
  if (child->BackgroundMode == kOpaqueBackground) {
    SetBkMode(dc, OPAQUE);
    if (child->BackgroundBrush) message.Result = AsResult(child->BackgroundBrush);
  } else if (child->BackgroundMode <= kTransparentBackground) {
    SetBkMode(dc, TRANSPARENT);
    for (TWinControl* ancestor = child->Parent; ancestor; ancestor = ancestor->Parent) {
      if (ancestor->BackgroundBrush) {
        message.Result = AsResult(ancestor->BackgroundBrush);
        break;
      }
    }
  }
}

void NotifyChild(TWinControl& self, TWindowMessage& message) {
  self.Dispatch(message);
  TWinControl* child = ObjectOfWindow(reinterpret_cast<HWND>(message.LParam));
  if (!child || !child->Enabled) return;
  // The codes mean different things for different control classes; these are the clicks
  // (button click, list double click) and the changes (list selection, edit text).
  switch (message.WParam >> 16) {
    case 0:
    case 2:
      child->Click();
      break;
    case 1:
    case 0x0300:
      child->Change();
      break;
  }
}

void VetoMinimize(TWinControl& self, TWindowMessage& message) {
  if ((message.WParam & 0xFFF0u) == SC_MINIMIZE && self.OnMinimize.IsSet() &&
      !self.OnMinimize(&self)) {
    message.Result = 0;
    return;
  }
  self.Dispatch(message);
}

// A push button is the default button while it has the focus.
void SetPushButtonStyle(TWinControl& self, bool focused) {
  if (self.Kind != kPushButtonControl) return;
  const uint32_t wanted = focused ? BS_DEFPUSHBUTTON : BS_PUSHBUTTON;
  if ((static_cast<uint32_t>(GetWindowLongA(self.Handle, GWL_STYLE)) & 0xFu) != wanted) {
    self.Send(BM_SETSTYLE, wanted, MAKELPARAM(1, 0));
  }
}

}  // namespace

TWinControl* ObjectOfWindow(HWND window) {
  return static_cast<TWinControl*>(GetPropA(window, kObjectProperty));
}

TShiftFlags ReleaseShiftFlags(uint32_t keyFlags) {
  TShiftFlags shift = 0;
  if (keyFlags & MK_SHIFT) shift |= kShiftKey;
  if (GetKeyState(VK_MENU) < 0) shift |= kAltKey;
  if (keyFlags & MK_CONTROL) shift |= kCtrlKey;
  if (keyFlags & MK_LBUTTON) shift |= kLeftButton;
  if (keyFlags & MK_RBUTTON) shift |= kRightButton;
  if (keyFlags & MK_MBUTTON) shift |= kMiddleButton;
  return shift;
}

LRESULT CALLBACK ObjectWindowProcedure(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  // Messages sent while CreateWindowExA runs come before the link exists.
  TWinControl* object = ObjectOfWindow(window);
  if (!object) return DefWindowProcA(window, message, wParam, lParam);
  TWindowMessage record{message, wParam, static_cast<int32_t>(lParam), 0};
  object->HandleMessage(record);
  return record.Result;
}

WNDPROC TWinControl::WindowProcedure() const {
  return &ObjectWindowProcedure;
}

void TWinControl::Paint(TWindowMessage& message) {
  if (OnPaint.IsSet()) OnPaint(this);
  Dispatch(message);
}

void TWinControl::Click() {
  if (OnClick.IsSet()) OnClick(this);
}

void TWinControl::Change() {
  if (OnChange.IsSet()) OnChange(this);
  Invalidate();
}

void TWinControl::Dispatch(TWindowMessage& message) {
  TObject::Dispatch(message);
  if (message.Result != 0) return;
  message.Result = static_cast<int32_t>(
      PreviousWindowProcedure
          ? CallWindowProcA(PreviousWindowProcedure, Handle, message.Msg, message.WParam,
                            message.LParam)
          : DefWindowProcA(Handle, message.Msg, message.WParam, message.LParam));
}

void TWinControl::HandleMessage(TWindowMessage& message) {
  switch (message.Msg) {
    case WM_DESTROY:
      if (OnDestroy.IsSet()) OnDestroy(this);
      if (this == MainWindow) ExitProcess(0);
      message.Result = 0;
      return;
    case WM_SIZE:
      if (OnResize.IsSet()) OnResize(this);
      Dispatch(message);
      return;
    case WM_SETFOCUS:
    case WM_KILLFOCUS:
      Dispatch(message);
      SetPushButtonStyle(*this, message.Msg == WM_SETFOCUS);
      return;
    case WM_PAINT:
      Paint(message);
      return;
    case WM_CLOSE:
      Close(*this, message);
      return;
    case WM_ERASEBKGND:
      EraseBackground(*this, message);
      return;
    case WM_SETCURSOR:
      SetCursorShape(*this, message);
      return;
    case WM_KEYDOWN:
      FireKey(*this, message, OnKeyDown);
      return;
    case WM_KEYUP:
      FireKey(*this, message, OnKeyUp);
      return;
    case WM_COMMAND:
      NotifyChild(*this, message);
      return;
    case WM_SYSCOMMAND:
      VetoMinimize(*this, message);
      return;
    case WM_CTLCOLORMSGBOX:
    case WM_CTLCOLOREDIT:
    case WM_CTLCOLORLISTBOX:
    case WM_CTLCOLORBTN:
    case WM_CTLCOLORDLG:
    case WM_CTLCOLORSCROLLBAR:
    case WM_CTLCOLORSTATIC:
      ColorChild(*this, message);
      return;
    case WM_MOUSEMOVE:
      Dispatch(message);
      if (OnMouseMove.IsSet()) OnMouseMove(this, 0, MouseX(message.LParam), MouseY(message.LParam));
      return;
    case WM_LBUTTONDOWN:
      FireMouseButton(*this, message, TMouseButtonKind::Left, false);
      return;
    case WM_LBUTTONUP:
      FireMouseButton(*this, message, TMouseButtonKind::Left, true);
      return;
    case WM_LBUTTONDBLCLK:
      Click();
      message.Result = 0;
      return;
    case WM_RBUTTONDOWN:
      FireMouseButton(*this, message, TMouseButtonKind::Right, false);
      return;
    case WM_RBUTTONUP:
      FireMouseButton(*this, message, TMouseButtonKind::Right, true);
      return;
    default:
      Dispatch(message);
      return;
  }
}
