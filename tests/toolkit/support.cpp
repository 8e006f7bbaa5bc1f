#include "tests/toolkit/support.h"

MessageLog* MessageLog::active_ = nullptr;

MessageLog::MessageLog() {
  active_ = this;
  hook_ = SetWindowsHookExA(WH_CALLWNDPROC, &MessageLog::Hook, nullptr, GetCurrentThreadId());
}

MessageLog::~MessageLog() {
  UnhookWindowsHookEx(hook_);
  active_ = nullptr;
}

LRESULT CALLBACK MessageLog::Hook(int code, WPARAM wParam, LPARAM lParam) {
  if (code == HC_ACTION && active_) {
    const auto* sent = reinterpret_cast<const CWPSTRUCT*>(lParam);
    const LoggedMessage logged{sent->hwnd, sent->message, sent->wParam, sent->lParam};
    active_->messages_.push_back(logged);
    if (active_->onMessage) active_->onMessage(logged);
  }
  return CallNextHookEx(nullptr, code, wParam, lParam);
}

std::vector<LoggedMessage> MessageLog::For(HWND window) const {
  std::vector<LoggedMessage> found;
  for (const LoggedMessage& m : messages_) {
    if (m.window == window) found.push_back(m);
  }
  return found;
}

size_t MessageLog::Count(HWND window, UINT message) const {
  size_t count = 0;
  for (const LoggedMessage& m : messages_) {
    if (m.window == window && m.message == message) ++count;
  }
  return count;
}

MemoryCanvas::MemoryCanvas(int width, int height) : width_(width), height_(height) {
  HDC screen = GetDC(nullptr);
  dc_ = CreateCompatibleDC(screen);
  bitmap_ = CreateCompatibleBitmap(screen, width, height);
  ReleaseDC(nullptr, screen);
  previous_ = SelectObject(dc_, bitmap_);
}

MemoryCanvas::~MemoryCanvas() {
  SelectObject(dc_, previous_);
  DeleteObject(bitmap_);
  DeleteDC(dc_);
}

void MemoryCanvas::Fill(COLORREF color) {
  RECT all{0, 0, width_, height_};
  HBRUSH brush = CreateSolidBrush(color);
  FillRect(dc_, &all, brush);
  DeleteObject(brush);
}

TestWindows::~TestWindows() {
  for (auto& quiet : quieters_) quiet();
  for (TWinControl* object : made_) {
    object->OnClose = {};
    object->OnCreate = {};
    object->OnDestroy = {};
    object->OnClick = {};
    object->OnMouseDown = {};
    object->OnMinimize = {};
    object->OnPaint = {};
    object->OnShow = {};
    object->OnChange = {};
    object->OnMouseUp = {};
    object->OnMouseMove = {};
    object->OnKeyUp = {};
    object->OnKeyDown = {};
    object->OnResize = {};
  }
  for (auto it = made_.rbegin(); it != made_.rend(); ++it) {
    if (IsWindow((*it)->Handle)) DestroyWindow((*it)->Handle);
  }
  DrainMessages();
}

void DrainMessages() {
  MSG message;
  while (PeekMessageA(&message, nullptr, 0, 0, PM_REMOVE)) {
    TranslateMessage(&message);
    DispatchMessageA(&message);
  }
}

bool NeedsRepaint(HWND window) {
  RECT update{};
  return GetUpdateRect(window, &update, FALSE) != FALSE;
}

namespace {

void ReadAvailable(HANDLE pipe, std::string& into) {
  DWORD available = 0;
  while (PeekNamedPipe(pipe, nullptr, 0, nullptr, &available, nullptr) && available > 0) {
    char buffer[512];
    DWORD got = 0;
    if (!ReadFile(pipe, buffer, sizeof(buffer), &got, nullptr) || got == 0) return;
    into.append(buffer, got);
  }
}

}  // namespace

ChildResult RunChild(const std::string& scenario) {
  char path[MAX_PATH];
  GetModuleFileNameA(nullptr, path, MAX_PATH);
  std::string command = std::string("\"") + path + "\" --child=" + scenario;

  SECURITY_ATTRIBUTES inherit{sizeof(inherit), nullptr, TRUE};
  HANDLE readEnd = nullptr;
  HANDLE writeEnd = nullptr;
  CreatePipe(&readEnd, &writeEnd, &inherit, 1 << 16);
  SetHandleInformation(readEnd, HANDLE_FLAG_INHERIT, 0);

  STARTUPINFOA startup{};
  startup.cb = sizeof(startup);
  startup.dwFlags = STARTF_USESTDHANDLES;
  startup.hStdOutput = writeEnd;
  startup.hStdError = writeEnd;
  startup.hStdInput = nullptr;
  PROCESS_INFORMATION process{};
  std::vector<char> line(command.begin(), command.end());
  line.push_back('\0');
  ChildResult result{0xFFFFFFFFu, ""};
  const BOOL started = CreateProcessA(nullptr, line.data(), nullptr, nullptr, TRUE,
                                      CREATE_NO_WINDOW, nullptr, nullptr, &startup, &process);
  CloseHandle(writeEnd);
  if (!started) {
    CloseHandle(readEnd);
    return result;
  }
  // Keep answering messages while waiting: the child's windows may send ours some (focus,
  // activation), and a parent that does not answer would hold the child up.
  const DWORD deadline = GetTickCount() + 90000;
  for (;;) {
    const DWORD woke = MsgWaitForMultipleObjects(1, &process.hProcess, FALSE, 100, QS_ALLINPUT);
    ReadAvailable(readEnd, result.output);
    if (woke == WAIT_OBJECT_0) break;
    if (woke == WAIT_OBJECT_0 + 1) DrainMessages();
    if (static_cast<int32_t>(GetTickCount() - deadline) > 0) {
      TerminateProcess(process.hProcess, 0xDEAD);
      WaitForSingleObject(process.hProcess, 5000);
      break;
    }
  }
  ReadAvailable(readEnd, result.output);
  CloseHandle(readEnd);
  GetExitCodeProcess(process.hProcess, &result.exitCode);
  CloseHandle(process.hThread);
  CloseHandle(process.hProcess);
  return result;
}
