// The root of the toolkit's classes: method pointers, the message record and the
// per-class message-handler tables that Dispatch searches up the class chain.
#pragma once

#include <cstddef>
#include <cstdint>

// An event: a code address and the object that handles it. Firing passes the data first. Plain
// words: an event that an object holds starts empty with the object (see TWinControl), and one
// made elsewhere is made empty with Method{} or set whole.
template <typename Signature>
struct Method;

template <typename R, typename... Args>
struct Method<R(Args...)> {
  using Code = R (*)(void* data, Args...);
  Code code;
  void* data;

  [[nodiscard]] bool IsSet() const { return code != nullptr; }
  R operator()(Args... args) const { return code(data, args...); }
};

// The message record: four 32-bit fields in this order. Handlers answer in Result.
struct TWindowMessage {
  uint32_t Msg;
  uint32_t WParam;
  int32_t LParam;
  int32_t Result;
};
static_assert(sizeof(TWindowMessage) == 16, "four 32-bit fields");

class TObject;

// One entry of a class's message-handler table: a 16-bit message number and its handler.
struct MessageHandler {
  uint16_t message;
  void (*handler)(TObject* self, TWindowMessage& message);
};

// A class's table, chained to its base class's table (null at the root).
struct MessageTable {
  const MessageTable* base;
  const MessageHandler* entries;
  size_t count;
};

class TObject {
 public:
  virtual ~TObject() = default;

  // The message-handler table of the object's class; the root has none.
  [[nodiscard]] virtual const MessageTable* Messages() const { return nullptr; }

  // Looks the message up in the class tables, nearest class first, and calls the first
  // handler found; otherwise DefaultHandler. Numbers 0 and 0xC000 and above (in the low
  // 16 bits) are never looked up.
  virtual void Dispatch(TWindowMessage& message);

  // What a message without a table handler gets at the root: nothing.
  virtual void DefaultHandler(TWindowMessage& message) { (void)message; }
};
