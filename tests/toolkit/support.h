// Test support: events bound to lambdas, a log of the messages windows receive, memory device
// contexts, and child processes for behaviour that ends the process.
#pragma once

#include <windows.h>

#include <cstdint>
#include <functional>
#include <string>
#include <type_traits>
#include <utility>
#include <vector>

#include "toolkit/controls.h"

// A Method whose code calls a callable object; the object must outlive the Method's use.
template <typename Signature>
struct MethodOf;

template <typename R, typename... Args>
struct MethodOf<R(Args...)> {
  template <typename F>
  static Method<R(Args...)> From(F& callable) {
    Method<R(Args...)> method{};
    method.code = [](void* data, Args... args) -> R { return (*static_cast<F*>(data))(args...); };
    method.data = &callable;
    return method;
  }
};

template <typename Signature, typename F>
Method<Signature> Bind(F& callable) {
  return MethodOf<Signature>::template From<F>(callable);
}

struct LoggedMessage {
  HWND window;
  UINT message;
  WPARAM wParam;
  LPARAM lParam;
};

// Records every message sent to a window of this thread (a WH_CALLWNDPROC hook) while alive.
// Only one log may be alive at a time.
class MessageLog {
 public:
  MessageLog();
  ~MessageLog();
  MessageLog(const MessageLog&) = delete;
  MessageLog& operator=(const MessageLog&) = delete;

  [[nodiscard]] std::vector<LoggedMessage> For(HWND window) const;
  [[nodiscard]] size_t Count(HWND window, UINT message) const;
  [[nodiscard]] size_t Total() const { return messages_.size(); }
  void Clear() { messages_.clear(); }

  // Called for each message as it arrives, before the window sees it.
  std::function<void(const LoggedMessage&)> onMessage;

 private:
  static LRESULT CALLBACK Hook(int code, WPARAM wParam, LPARAM lParam);
  static MessageLog* active_;
  HHOOK hook_ = nullptr;
  std::vector<LoggedMessage> messages_;
};

// A memory device context with a bitmap of the screen's format, for painting into.
class MemoryCanvas {
 public:
  MemoryCanvas(int width, int height);
  ~MemoryCanvas();
  MemoryCanvas(const MemoryCanvas&) = delete;
  MemoryCanvas& operator=(const MemoryCanvas&) = delete;

  [[nodiscard]] HDC Dc() const { return dc_; }
  void Fill(COLORREF color);
  [[nodiscard]] COLORREF Pixel(int x, int y) const { return GetPixel(dc_, x, y); }

 private:
  HDC dc_;
  HBITMAP bitmap_;
  HGDIOBJ previous_;
  int width_;
  int height_;
};

// Makes window objects for one test; at its end their events are cleared (the handlers die
// with the test) and their windows destroyed. The objects themselves live on, as in the
// program.
class TestWindows {
 public:
  TestWindows() = default;
  ~TestWindows();
  TestWindows(const TestWindows&) = delete;
  TestWindows& operator=(const TestWindows&) = delete;

  template <typename T, typename... Args>
  T* Make(Args&&... args) {
    T* object = new T(std::forward<Args>(args)...);
    made_.push_back(object);
    if constexpr (HasAction<T>::value) quieters_.push_back([object] { object->action = nullptr; });
    return object;
  }

 private:
  template <typename T, typename = void>
  struct HasAction : std::false_type {};
  template <typename T>
  struct HasAction<T, std::void_t<decltype(std::declval<T&>().action = nullptr)>> : std::true_type {
  };

  std::vector<TWinControl*> made_;
  std::vector<std::function<void()>> quieters_;
};

// Empties the thread's queue without the toolkit's pump.
void DrainMessages();

// The window's current update region is not empty.
[[nodiscard]] bool NeedsRepaint(HWND window);

struct ChildResult {
  DWORD exitCode;
  std::string output;
};

// Runs this test executable again as `--child=<scenario>` and collects its standard output.
[[nodiscard]] ChildResult RunChild(const std::string& scenario);

// Children: the scenario of that name; its exit code.
[[nodiscard]] int RunChildScenario(const std::string& scenario);
