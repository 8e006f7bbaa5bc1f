#include "display/discord_follow.h"

#include "display/presence.h"
#include "display/title_probe.h"
#include "display/title_template.h"

namespace {

constexpr int32_t kPlaying = 1;

// A line of the templates, in UTF-8, from the track's fields (read once per title, as the strip's
// template reads them) and the caption's title; a template that gives nothing gives no line.
[[nodiscard]] Text Line(NowPlayingHost& host, NowPlayingState& state, std::string_view format,
                        int32_t lengthSeconds, int32_t positionSeconds) {
  if (!state.fieldsRead) {
    state.fieldsRead = true;
    static_cast<void>(host.PlayerReadFields(state.playerWindow, state.fields));
  }
  const Text caption = host.SystemTextToUtf8(state.lastTitle.View());
  return FormatTitle(host.SystemTextToUtf8(format).View(),
                     {state.fields, caption.View(), lengthSeconds, positionSeconds});
}

}  // namespace

void FollowPlayerForDiscord(NowPlayingHost& host, NowPlayingState& state) {
  const std::string_view app = state.settings.discordApp.View();
  if (app.empty() && state.discord.app.IsEmpty()) return;
  Listening now;
  bool newTrack = false;
  // Paused (3), stopped (0), closed or not answering: nothing plays.
  if (state.playerWindow != 0 && state.playingState == kPlaying && !state.lastTitle.IsEmpty()) {
    const PlayerAnswer length = host.PlayerSendQuery(state.playerWindow, kQueryTrackLength.wParam,
                                                     kQueryTrackLength.lParam);
    const PlayerAnswer position =
        host.PlayerSendQuery(state.playerWindow, kQueryPosition.wParam, kQueryPosition.lParam);
    if (length.answered && position.answered) {
      now.playing = true;
      now.lengthSeconds = length.value;
      now.positionMs = position.value < 0 ? 0 : position.value;
      const int32_t seconds = now.positionMs / 1000;
      now.details = Line(host, state, state.settings.discordDetails.View(), length.value, seconds);
      now.state = Line(host, state, state.settings.discordState.View(), length.value, seconds);
      newTrack = state.lastTitle != state.discordTitle;
      state.discordTitle = state.lastTitle;
    }
  }
  FollowPresence(host, state.discord, app, now, newTrack);
  TakeDiscordNotice(state);
}

void RunDiscord(NowPlayingHost& host, NowPlayingState& state) {
  if (state.exiting) return;
  RunPresence(host, state.discord, state.settings.discordApp.View());
  TakeDiscordNotice(state);
}

void TakeDiscordNotice(NowPlayingState& state) {
  if (state.discord.notice.IsEmpty() || state.shown || state.cycleRuns != 0) return;
  if (!state.keyNotice.IsEmpty()) state.keyNotice += "; ";
  state.keyNotice += state.discord.notice;
  state.discord.notice = Text();
}
