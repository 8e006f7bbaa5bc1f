#include "display/display_cycle.h"

#include "display/colors.h"
#include "display/discord_follow.h"
#include "display/placement.h"
#include "display/scale.h"
#include "display/state.h"
#include "display/strips.h"
#include "display/title_probe.h"
#include "display/title_template.h"
#include "toolkit/format.h"

namespace {

[[nodiscard]] bool IsAscii(std::string_view text) {
  for (const char c : text) {
    if (static_cast<unsigned char>(c) >= 0x80) return false;
  }
  return true;
}

// Where the label's edge stands at `level` (0 to 200) of a slide over `size` pixels that
// ends at `rest`: size + rest at level 0, rest at level 200. Signed 32-bit arithmetic that
// wraps around as the machine's does (only absurd window sizes come near the limits).
[[nodiscard]] int32_t SlideEdge(int32_t size, int32_t rest, int32_t level) {
  const auto wrap = [](uint32_t value) { return static_cast<int32_t>(value); };
  const int32_t product = wrap(static_cast<uint32_t>(size) * static_cast<uint32_t>(level));
  return wrap(static_cast<uint32_t>(size) + static_cast<uint32_t>(rest) -
              static_cast<uint32_t>(product / kAlphaShown));
}

// "<title> [m:ss] - m:ss". A stream, or a file the player is still opening, has no length (-1):
// "<title> - m:ss". A position below 0 (a stopped player answers -1) shows as 0:00.
[[nodiscard]] Text ComposeCaption(const Text& title, int32_t lengthSeconds,
                                  int32_t positionSeconds) {
  Text caption = title;
  if (lengthSeconds >= 0) {
    caption += " [";
    AppendTime(caption, static_cast<uint32_t>(lengthSeconds));
    caption += "]";
  }
  caption += " - ";
  AppendTime(caption, positionSeconds < 0 ? 0 : static_cast<uint32_t>(positionSeconds));
  return caption;
}

// The track's text on the label, as TrackText makes it.
void ShowTrack(NowPlayingHost& host, NowPlayingState& state, int32_t lengthSeconds,
               int32_t positionSeconds, bool mayAsk) {
  state.shownLength = lengthSeconds;
  state.shownPosition = positionSeconds;
  Text text;
  const bool utf8 = TrackText(host, state.settings.titleFormat.View(), lengthSeconds,
                              positionSeconds, mayAsk, text);
  EachStrip(host, state, [&](uint32_t) {
    if (utf8) {
      host.LabelSetCaptionInCodePage(text, kCodePageUtf8);
    } else {
      host.LabelSetCaption(text);
    }
  });
}

// The line along the strip's bottom edge: position / length of its width; none while the length
// is unknown. The window's rounded region clips it at the corners. The label spans the strip,
// and keeps its size while memory economy has the form minimised, as it is when a display
// starts.
void DrawProgress(NowPlayingHost& host, const NowPlayingState& state, int32_t lengthSeconds,
                  int32_t positionMs) {
  const int32_t width = host.LabelGetWidth();
  int32_t done = 0;
  if (lengthSeconds > 0 && positionMs > 0) {
    // In floating point, as ScaleToDpi.
    const double part = positionMs / (lengthSeconds * 1000.0);
    done = part >= 1 ? width : static_cast<int32_t>(width * part);
  }
  const int32_t height = ScaleToDpi(kProgressHeight, state.layoutDpi);
  host.ProgressSetBounds(0, host.LabelGetHeight() - height, done, height);
}

// Length and position, as the display asks for them: a player that left the length unanswered
// would only make the strip wait once more for the position, which reads as 0 as well.
[[nodiscard]] PlayerAnswer AskTrack(NowPlayingHost& host, const NowPlayingState& state,
                                    int32_t& positionMs) {
  const PlayerAnswer length =
      host.PlayerSendQuery(state.playerWindow, kQueryTrackLength.wParam, kQueryTrackLength.lParam);
  positionMs = 0;
  if (state.playerWindow == 0 || length.answered) {
    positionMs =
        host.PlayerSendQuery(state.playerWindow, kQueryPosition.wParam, kQueryPosition.lParam)
            .value;
  }
  return length;
}

[[nodiscard]] bool FollowsTrack(const NowPlayingState& state) {
  return state.settings.livePosition || state.settings.progress;
}

void RearmTimer(NowPlayingHost& host, uint32_t interval) {
  host.TimerSetInterval(interval);
  host.TimerSetEnabled(true);
  NowPlaying().ticking = interval != 0;
}

// Counts the runs under way for as long as one lasts, whichever way it returns.
class RunUnderWay {
 public:
  explicit RunUnderWay(NowPlayingState& state) : state_(state) { ++state_.cycleRuns; }
  ~RunUnderWay() { --state_.cycleRuns; }
  RunUnderWay(const RunUnderWay&) = delete;
  RunUnderWay& operator=(const RunUnderWay&) = delete;

 private:
  NowPlayingState& state_;
};

// The user's accessibility settings, read at every display, so that a change applies at the next
// one. In high contrast the strip takes the system's window colours, whatever Color says; when
// high contrast goes off, the settings' colour comes back. Only then are the colours touched.
// A new accent colour is taken the same way.
void FollowAccessibilitySettings(NowPlayingHost& host, NowPlayingState& state) {
  state.animations = host.SystemAnimations();
  const bool highContrast = host.SystemHighContrast();
  if (!highContrast && !state.highContrast && !state.accentChanged) return;
  state.highContrast = highContrast;
  EachStrip(host, state, [&](uint32_t) { PaintStrip(host, state); });
}

// The alpha the strip rests at while it is out: Opacity's percent of 255 (50 rests at 128),
// without it 200, and opaque in high contrast.
[[nodiscard]] int32_t RestingAlpha(const NowPlayingState& state) {
  if (state.highContrast) return kAlphaOpaque;
  const int32_t percent = state.settings.opacity;
  return percent == 0 ? kAlphaShown : (percent * kAlphaOpaque + 50) / 100;
}

// The alpha at `level` (0 to 200) of a fade: the fade takes as long whatever the alpha at rest.
void SetFadeAlpha(NowPlayingHost& host, const NowPlayingState& state, int32_t level) {
  host.FormSetAlphaBlendValue(static_cast<uint8_t>(level * RestingAlpha(state) / kAlphaShown));
}

// Both animations pump messages every frame, so a click (cancel) or a hot key is handled
// inside them. An animation ends early at a click, and hurries to its end when the icon's menu
// or a picker is asked for (a modal loop must not run inside a frame, nor the frames inside it).
// Without animations the strip comes out and goes at once; the timer's phases stay as they are.
enum class Outcome : uint8_t {
  kDone,
  kExited,      // the quit key ended the process meanwhile
  kSuperseded,  // a show-now ran a display of its own meanwhile, which stands
};

[[nodiscard]] bool GoesOn(NowPlayingHost& host, const NowPlayingState& state, uint32_t start) {
  return host.GetTickCount() - start < kAnimationMs && !state.cancel && !state.menuWanted &&
         !state.loopWanted;
}

// The frames of either animation, every 10 ms for two seconds: the alpha rises (appearing) or
// falls toward 0 with the level, while the label slides in from the right to `rest` or down
// from it. Unsigned differences, so that a tick count wrapping around still ends the loop.
// Every strip takes each frame; the messages are handled once a frame.
[[nodiscard]] Outcome Frames(NowPlayingHost& host, NowPlayingState& state, uint32_t start,
                             bool appearing) {
  const uint32_t display = state.displays;
  while (GoesOn(host, state, start)) {
    const uint32_t step = (host.GetTickCount() - start) / kFramePauseMs;
    const int32_t shown = step > kAlphaShown ? kAlphaShown : static_cast<int32_t>(step);
    const int32_t level = appearing ? shown : kAlphaShown - shown;
    EachStrip(host, state, [&](uint32_t) {
      SetFadeAlpha(host, state, level);
      const int32_t rest = ScaleToDpi(appearing ? kLabelRestLeft : kLabelRestTop, state.layoutDpi);
      if (appearing) {
        host.LabelSetLeft(SlideEdge(host.LabelGetWidth(), rest, level));
      } else {
        host.LabelSetTop(SlideEdge(host.LabelGetHeight(), rest, level));
      }
    });
    host.FormProcessMessages();
    if (state.exiting) return Outcome::kExited;
    if (state.displays != display) return Outcome::kSuperseded;
    host.Sleep(kFramePauseMs);
  }
  return Outcome::kDone;
}

// The strip fades in from alpha 0 to its resting alpha while the label slides in from the right.
[[nodiscard]] Outcome Appear(NowPlayingHost& host, NowPlayingState& state,
                             const StripMonitors& monitors) {
  FollowAccessibilitySettings(host, state);
  const uint32_t start = host.GetTickCount();
  EachStrip(host, state, [&](uint32_t strip) {
    host.LabelSetTop(ScaleToDpi(kLabelRestTop, state.layoutDpi));
    if (state.settings.memoryEconomy) {
      host.FormHide();
      host.FormRestoreWithoutActivation();
      host.FormShowWithoutActivation();
    }
    // A minimised window would only move its icon: the strip moves and takes its new size once
    // it is restored.
    if (FitStrip(host, state, monitors.area[strip])) {
      host.LabelSetTop(ScaleToDpi(kLabelRestTop, state.layoutDpi));
    }
  });
  // Screen readers read the label out: after its caption is in place and the window is shown
  // (they pass over hidden ones), before the first frame. The form's label speaks for all strips.
  host.LabelAnnounce();
  if (state.animations) {
    const Outcome outcome = Frames(host, state, start, true);
    if (outcome != Outcome::kDone) return outcome;
  }
  EachStrip(host, state, [&](uint32_t) {
    const int32_t restLeft = ScaleToDpi(kLabelRestLeft, state.layoutDpi);
    if (!state.animations) host.LabelSetLeft(restLeft);
    host.FormHoldBounds();
    host.FormSetAlphaBlendValue(static_cast<uint8_t>(RestingAlpha(state)));
    if (state.animations) host.LabelSetLeft(restLeft);
  });
  return Outcome::kDone;
}

// The strip fades out from its resting alpha to 0 while the label slides down out of it.
[[nodiscard]] Outcome Disappear(NowPlayingHost& host, NowPlayingState& state) {
  EachStrip(host, state,
            [&](uint32_t) { host.LabelSetLeft(ScaleToDpi(kLabelRestLeft, state.layoutDpi)); });
  const uint32_t start = host.GetTickCount();
  if (state.animations) {
    const Outcome outcome = Frames(host, state, start, false);
    if (outcome != Outcome::kDone) return outcome;
  }
  state.forced = false;
  // The notice of keys that could not be had stands for the first display only.
  state.keyNotice = Text();
  // Every strip is gone before any is minimised: hiding a window can take a while (under Wine it
  // waits on the window manager), and the strips end together.
  EachStrip(host, state, [&](uint32_t) { host.FormSetAlphaBlendValue(0); });
  if (state.settings.memoryEconomy) {
    EachStrip(host, state, [&](uint32_t) {
      host.FormHide();
      host.FormMinimiseWithoutActivation();
    });
  }
  return Outcome::kDone;
}

}  // namespace

void DisplayCycle(NowPlayingHost& host) {
  NowPlayingState& state = NowPlaying();
  const RunUnderWay run(state);
  // The probe runs on every tick, before any flag is looked at.
  const bool changed = ProbeTitle(host);
  if (changed) {
    state.fields = TrackFields();
    state.fieldsRead = false;
  }
  // Discord follows the player, not the strip.
  FollowPlayerForDiscord(host, state);
  // Go on when the strip is out, a display was forced, or a new title came while automatic
  // display is on.
  if (!(changed || state.shown || state.forced)) return;
  if (!(state.automatic || state.forced || state.shown)) return;
  // A click took the strip that is out away, and a title has come since: that display ends here,
  // without an animation, and the new title comes out as any new one does.
  const bool dismissed =
      changed && state.shown && state.cancel && (state.automatic || state.forced);
  if (dismissed) {
    state.shown = false;
    state.cancel = false;
  }
  // Over a full-screen program a new title is only recorded (the probe has stored it).
  StripMonitors monitors;
  const uint32_t screens = state.screenChanges;
  if (!state.shown) {
    if (!ChooseMonitors(host, state, monitors)) {
      // Over a full-screen program the dismissed display still ends: the checks go on.
      if (dismissed) RearmTimer(host, state.settings.checkInterval);
      return;
    }
    UseStrips(host, state, monitors.count);
  }

  // This run takes the strip over, also from a run under way that it is nested in.
  ++state.displays;
  // No tick may re-enter while the animation pumps messages.
  host.TimerSetEnabled(false);
  state.ticking = false;
  if (FollowsTrack(state)) host.LiveTimerSetEnabled(false);
  int32_t positionMs = 0;
  const PlayerAnswer length = AskTrack(host, state, positionMs);
  const int32_t position = positionMs / 1000;
  // A player that left the length unanswered is not asked for the fields in this run.
  if (state.keyNotice.IsEmpty())
    ReadFieldsOnce(host, state.settings.titleFormat.View(), length.answered);
  // The player's queries wait in SendMessageTimeout, which handles the messages sent meanwhile: a
  // new screen among them (WM_DISPLAYCHANGE) has the monitors listed again, for the strips to come
  // out where monitors are now.
  if (!state.shown && state.screenChanges != screens) {
    if (!ChooseMonitors(host, state, monitors)) {
      RearmTimer(host, state.settings.checkInterval);
      return;
    }
    UseStrips(host, state, monitors.count);
  }
  state.showsTrack = false;
  if (!state.keyNotice.IsEmpty()) {
    // In UTF-8 once a language other than English says it.
    EachStrip(host, state, [&](uint32_t) {
      if (IsAscii(state.keyNotice.View())) {
        host.LabelSetCaption(state.keyNotice);
      } else {
        host.LabelSetCaptionInCodePage(state.keyNotice, kCodePageUtf8);
      }
    });
  } else if (state.playerWindow != 0) {
    ShowTrack(host, state, length.value, position, length.answered);
    state.showsTrack = true;
  } else {
    EachStrip(host, state, [&](uint32_t) {
      host.LabelSetCaptionInCodePage(Text(kPlayerNotRunning), kPlayerNotRunningCodePage);
    });
  }
  if (state.settings.progress) {
    EachStrip(host, state, [&](uint32_t) {
      DrawProgress(host, state, state.showsTrack ? length.value : -1, positionMs);
    });
  }
  state.shown = !state.shown;

  // A click that came while the strip was idle swallows this move: no animation.
  if (state.cancel) {
    state.shown = false;
    RearmTimer(host, state.settings.checkInterval);
    state.cancel = false;
    return;
  }

  // A display that another one took over ends where it stands: the other has set the alpha,
  // the flags and the timer as it left them.
  if ((state.shown ? Appear(host, state, monitors) : Disappear(host, state)) != Outcome::kDone) {
    return;
  }

  // The flags are read afresh: a click or a key handled inside the animation may have moved them.
  if (state.cancel) {
    // With automatic display on, a cancelled appearance stays visible until the next move.
    if (!state.automatic) EachStrip(host, state, [&](uint32_t) { host.FormSetAlphaBlendValue(0); });
    state.shown = false;
    RearmTimer(host, state.settings.checkInterval);
    state.cancel = false;
  } else {
    RearmTimer(host, state.shown ? state.settings.keepInterval : state.settings.checkInterval);
    if (state.shown && FollowsTrack(state)) host.LiveTimerSetEnabled(true);
  }
}

void FollowTrack(NowPlayingHost& host) {
  NowPlayingState& state = NowPlaying();
  // A run of the cycle moves the strip itself; a tick queued before it stopped the timer waits.
  if (state.exiting || state.cycleRuns != 0) return;
  // Clicked away (it stays so until the cycle runs), or gone.
  if (!state.shown || state.cancel || !FollowsTrack(state)) {
    host.LiveTimerSetEnabled(false);
    return;
  }
  if (!state.showsTrack) return;
  int32_t positionMs = 0;
  const PlayerAnswer length = AskTrack(host, state, positionMs);
  // A player that does not answer leaves the strip as it is.
  if (!length.answered) return;
  // The title stays as it came out: the probe changes it only in a run that moves the strip.
  if (state.settings.livePosition) {
    ShowTrack(host, state, length.value, positionMs / 1000, true);
  }
  if (state.settings.progress) {
    EachStrip(host, state, [&](uint32_t) { DrawProgress(host, state, length.value, positionMs); });
  }
}

// The fields are read once per title, and only for a template: without one the player is asked
// what it always was. The caption's title and the template are in the process's code page, the
// fields in UTF-8: all of it goes to UTF-8, which the label shows whatever that code page is.
void ReadFieldsOnce(NowPlayingHost& host, std::string_view format, bool mayAsk) {
  NowPlayingState& state = NowPlaying();
  if (format.empty() || state.fieldsRead || !mayAsk || state.playerWindow == 0) return;
  state.fieldsRead = true;
  static_cast<void>(host.PlayerReadFields(state.playerWindow, state.fields));
}

bool TrackText(NowPlayingHost& host, std::string_view format, int32_t lengthSeconds,
               int32_t positionSeconds, bool mayAsk, Text& text) {
  NowPlayingState& state = NowPlaying();
  if (!format.empty()) {
    ReadFieldsOnce(host, format, mayAsk);
    const Text caption = host.SystemTextToUtf8(state.lastTitle.View());
    text = FormatTitle(host.SystemTextToUtf8(format).View(),
                       {state.fields, caption.View(), lengthSeconds, positionSeconds});
    if (!text.IsEmpty()) return true;
  }
  text = ComposeCaption(state.lastTitle, lengthSeconds, positionSeconds);
  return false;
}
