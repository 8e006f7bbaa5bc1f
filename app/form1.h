// The popup: the toolkit's form with the label and the timer that start-up gives it, and a
// message-handler table that passes the global hot keys to the now-playing logic.
#pragma once

#include "toolkit/controls.h"
#include "toolkit/timer.h"

class TForm1 : public TForm {
 public:
  using TForm::TForm;

  [[nodiscard]] const MessageTable* Messages() const override;
  // Messages that no table handler took: a change of resolution, the player's announcement.
  void DefaultHandler(TWindowMessage& message) override;

  TLabel* Label = nullptr;
  TLabel* Progress = nullptr;  // the progress line, made at its first use
  // Another strip of Monitor=all: it shows and takes clicks, and leaves the rest to the form.
  bool Copy = false;
  TTimer* Timer = nullptr;
  // The number of "WinampSongChange", registered at start; 0 when that failed.
  uint32_t SongChangeMessage = 0;
  // Another copy's request for the settings window, registered at start; 0 when that failed.
  uint32_t OpenSettingsMessage = 0;
};
