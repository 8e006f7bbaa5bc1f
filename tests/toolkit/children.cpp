// Scenarios that end their process, run by the tests in a child process of their own. Each
// reports what it sees on standard output, unbuffered, since the process may end any moment.
#include <cstdarg>
#include <cstdio>
#include <string>

#include "tests/toolkit/spy.h"
#include "tests/toolkit/support.h"
#include "toolkit/pump.h"
#include "toolkit/routing.h"

namespace {

void Say(const char* format, ...) {
  char line[256];
  va_list arguments;
  va_start(arguments, format);
  const int length = std::vsnprintf(line, sizeof(line) - 1, format, arguments);
  va_end(arguments);
  if (length <= 0) return;
  line[length] = '\n';
  DWORD written = 0;
  WriteFile(GetStdHandle(STD_OUTPUT_HANDLE), line, static_cast<DWORD>(length) + 1, &written,
            nullptr);
}

void CALLBACK GiveUp(HWND, UINT, UINT_PTR, DWORD) {
  Say("watchdog");
  ExitProcess(9);
}

// A scenario that goes wrong must not hang the tests.
void StartWatchdog() {
  SetTimer(nullptr, 0, 30000, &GiveUp);
}

int RegisterClassTwice() {
  auto* first = new TForm(nullptr, Text(""), true);
  Say("first %lx", GetClassLongA(first->Handle, GCL_STYLE));
  auto* second = new TForm(nullptr, Text(""), false);
  Say("second %lx", GetClassLongA(second->Handle, GCL_STYLE));
  return 0;
}

int LabelWithoutParent() {
  new TLabel(nullptr, Text("orphan"));
  Say("the constructor returned");
  return 3;
}

// `exStyle`: WS_EX_NOACTIVATE shows the window without making it the foreground window.
int RunOrder(bool visible, uint32_t exStyle = 0) {
  StartWatchdog();
  static auto* form = new SpyForm(nullptr, Text(""), false);
  form->Visible = visible;
  form->SetExStyle(exStyle);
  static auto onCreate = [](TObject*) {
    Say("create visible=%d main=%d", IsWindowVisible(form->Handle) ? 1 : 0,
        MainWindow == form ? 1 : 0);
  };
  static auto onShow = [](TObject*) {
    Say("show visible=%d", IsWindowVisible(form->Handle) ? 1 : 0);
  };
  static auto onDestroy = [](TObject*) { Say("destroy"); };
  if (visible) {
    form->OnCreate = Bind<void(TObject*)>(onCreate);
    form->OnShow = Bind<void(TObject*)>(onShow);
  }
  form->OnDestroy = Bind<void(TObject*)>(onDestroy);
  form->action = [visible](SpyForm& self, TWindowMessage& message) {
    if (message.Msg == WM_USER + 10) {
      Say("pumped visible=%d front=%d", IsWindowVisible(self.Handle) ? 1 : 0,
          GetForegroundWindow() == self.Handle ? 1 : 0);
      if (!visible) {
        PostMessageA(self.Handle, WM_CLOSE, 0, 0);
        return;
      }
      PostQuitMessage(0);
      SetTimer(self.Handle, 1, 10, nullptr);
    } else if (message.Msg == WM_QUIT) {
      Say("quit offered");
    } else if (message.Msg == WM_TIMER) {
      KillTimer(self.Handle, 1);
      Say("timer after quit");
      PostMessageA(self.Handle, WM_CLOSE, 0, 0);
    }
  };
  PostMessageA(form->Handle, WM_USER + 10, 0, 0);
  Run(*form);
}

int CloseMain() {
  StartWatchdog();
  static auto* form = new SpyForm(nullptr, Text(""), false);
  static int closes = 0;
  static auto onClose = [](TObject*) {
    if (++closes == 1) {
      Say("close 1 refused");
      return false;
    }
    Say("close %d window=%d", closes, IsWindow(form->Handle) ? 1 : 0);
    return true;
  };
  static auto onDestroy = [](TObject*) { Say("destroy"); };
  form->OnClose = Bind<bool(TObject*)>(onClose);
  form->OnDestroy = Bind<void(TObject*)>(onDestroy);
  form->action = [](SpyForm&, TWindowMessage& message) {
    if (message.Msg == WM_CLOSE) Say("close reached default processing");
  };
  PostMessageA(form->Handle, WM_CLOSE, 0, 0);
  PostMessageA(form->Handle, WM_CLOSE, 0, 0);
  Run(*form);
}

int DestroyMain() {
  StartWatchdog();
  static auto* form = new SpyForm(nullptr, Text(""), false);
  static auto onDestroy = [](TObject*) { Say("destroy"); };
  static auto onClose = [](TObject*) {
    Say("close");
    return true;
  };
  form->OnDestroy = Bind<void(TObject*)>(onDestroy);
  form->OnClose = Bind<bool(TObject*)>(onClose);
  form->action = [](SpyForm& self, TWindowMessage& message) {
    if (message.Msg == WM_USER + 10) {
      Say("destroying");
      DestroyWindow(self.Handle);
      Say("DestroyWindow returned");
    }
  };
  PostMessageA(form->Handle, WM_USER + 10, 0, 0);
  Run(*form);
}

// An object signalled while Run waits: its index reaches OnSignal once, with the list spent.
int RunWaitsOnObjects() {
  StartWatchdog();
  static auto* form = new SpyForm(nullptr, Text(""), false);
  static const HANDLE events[2] = {CreateEventA(nullptr, TRUE, FALSE, nullptr),
                                   CreateEventA(nullptr, TRUE, FALSE, nullptr)};
  RunWaits = {{events[0], events[1]}, 2, [](DWORD index) {
                Say("signal %lu, %lu waited", index, RunWaits.Count);
                PostMessageA(form->Handle, WM_CLOSE, 0, 0);
              }};
  form->action = [](SpyForm&, TWindowMessage& message) {
    if (message.Msg != WM_USER + 10) return;
    Say("message");
    SetEvent(events[1]);
  };
  PostMessageA(form->Handle, WM_USER + 10, 0, 0);
  Run(*form);
}

}  // namespace

int RunChildScenario(const std::string& scenario) {
  if (scenario == "register-class") return RegisterClassTwice();
  if (scenario == "label-without-parent") return LabelWithoutParent();
  if (scenario == "run-order") return RunOrder(true);
  if (scenario == "run-hidden") return RunOrder(false);
  if (scenario == "run-unactivated") return RunOrder(true, WS_EX_NOACTIVATE);
  if (scenario == "close-main") return CloseMain();
  if (scenario == "destroy-main") return DestroyMain();
  if (scenario == "run-waits") return RunWaitsOnObjects();
  Say("unknown scenario %s", scenario.c_str());
  return 99;
}
