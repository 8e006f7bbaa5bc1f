// Window objects whose class carries a message-handler table that records what reaches it:
// the messages that get default processing, and the values they carry at that moment.
#pragma once

#include <windows.h>

#include <cstdint>
#include <functional>
#include <map>
#include <vector>

#include "toolkit/controls.h"

inline constexpr uint32_t kProbeMessage = WM_USER + 1;  // in both the spy's and the child's table
inline constexpr uint32_t kBaseOnlyMessage = WM_USER + 3;    // only in the spy's table
inline constexpr uint32_t kUnlistedMessage = WM_USER + 2;    // in no table
inline constexpr uint32_t kRegisteredRangeMessage = 0xC001;  // listed, never looked up

struct SeenMessage {
  uint32_t msg;
  uint32_t wParam;
  int32_t lParam;
  int32_t resultOnEntry;
  const char* by;
};

template <class Base>
class Spy : public Base {
 public:
  using Base::Base;

  [[nodiscard]] const MessageTable* Messages() const override { return &kTable; }

  [[nodiscard]] size_t Count(uint32_t msg) const {
    size_t count = 0;
    for (const SeenMessage& s : seen) count += s.msg == msg ? 1 : 0;
    return count;
  }

  std::vector<SeenMessage> seen;
  std::map<uint32_t, int32_t> answers;  // result a listed message is given by the table
  std::function<void(Spy&, TWindowMessage&)> action;

  static void Record(TObject* self, TWindowMessage& message) {
    auto& spy = *static_cast<Spy*>(self);
    spy.seen.push_back({message.Msg, message.WParam, message.LParam, message.Result, "spy"});
    auto answer = spy.answers.find(message.Msg);
    if (answer != spy.answers.end()) message.Result = answer->second;
    if (spy.action) spy.action(spy, message);
  }

  static constexpr MessageHandler kEntries[] = {
      {0, &Record},  // WM_NULL: never looked up
      {static_cast<uint16_t>(kRegisteredRangeMessage), &Record},
      {0xFFFF, &Record},
      {static_cast<uint16_t>(kProbeMessage), &Record},
      {static_cast<uint16_t>(kBaseOnlyMessage), &Record},
      {WM_GETTEXTLENGTH, &Record},
      {WM_GETFONT, &Record},
      {WM_DESTROY, &Record},
      {WM_CLOSE, &Record},
      {WM_QUIT, &Record},
      {WM_ERASEBKGND, &Record},
      {WM_KEYDOWN, &Record},
      {WM_KEYUP, &Record},
      {WM_CHAR, &Record},
      {WM_TIMER, &Record},
      {WM_SYSCOMMAND, &Record},
      {WM_MOUSEMOVE, &Record},
      {WM_LBUTTONDOWN, &Record},
      {WM_LBUTTONUP, &Record},
      {WM_LBUTTONDBLCLK, &Record},
      {WM_RBUTTONUP, &Record},
      {WM_USER + 10, &Record},
      {WM_USER + 11, &Record},
      {WM_USER + 12, &Record},
      {WM_USER + 13, &Record},
  };
  static constexpr MessageTable kTable = {nullptr, kEntries,
                                          sizeof(kEntries) / sizeof(kEntries[0])};
};

using SpyForm = Spy<TForm>;
using SpyLabel = Spy<TLabel>;

// A class below the spy whose own table answers kProbeMessage first and chains to the spy's.
class SpyFormChild : public SpyForm {
 public:
  using SpyForm::SpyForm;

  [[nodiscard]] const MessageTable* Messages() const override { return &kChildTable; }

  static void AnswerSeven(TObject* self, TWindowMessage& message) {
    auto& spy = *static_cast<SpyFormChild*>(self);
    spy.seen.push_back({message.Msg, message.WParam, message.LParam, message.Result, "child"});
    message.Result = 7;
  }

  static constexpr MessageHandler kChildEntries[] = {
      {static_cast<uint16_t>(kProbeMessage), &AnswerSeven}};
  static constexpr MessageTable kChildTable = {&SpyForm::kTable, kChildEntries, 1};
};
