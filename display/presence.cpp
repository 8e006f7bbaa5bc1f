#include "display/presence.h"

#include "display/language.h"

namespace {

// Discord's message goes into the notice up to this length.
constexpr size_t kNoticeMessageMost = 60;

// Discord drops a pipe's activity when the pipe closes, so nothing shows once it is closed.
void Close(NowPlayingHost& host, DiscordLink& link) {
  host.DiscordClose();
  link.stage = DiscordLink::Stage::kClosed;
  link.told = Activity();
  link.reader.Clear();
}

[[nodiscard]] bool Write(NowPlayingHost& host, DiscordLink& link, Opcode opcode,
                         std::string_view json) {
  if (host.DiscordWrite(EncodeFrame(opcode, json).View())) return true;
  Close(host, link);
  return false;
}

// The notice, in the language spoken: Discord's own words where it gave some, in plain ASCII.
void TellError(DiscordLink& link, std::string_view message) {
  if (link.errorTold) return;
  link.errorTold = true;
  link.notice = Say(TextId::kDiscordRefused);
  if (message.empty()) return;
  link.notice += ": ";
  for (size_t i = 0; i < message.size() && i < kNoticeMessageMost; ++i) {
    const char c = message[i] >= ' ' && message[i] < 0x7F ? message[i] : '?';
    link.notice += std::string_view(&c, 1);
  }
}

// Everything Discord sent: READY opens the way for updates; a ping is answered with its own
// JSON; an ERROR is told; a close, a frame too large or an opcode the client does not know
// ends the pipe. Malformed JSON is passed over.
void Read(NowPlayingHost& host, DiscordLink& link) {
  Text bytes;
  const bool open = host.DiscordRead(bytes);
  link.reader.Add(bytes.View());
  Opcode opcode = Opcode::kFrame;
  Text json;
  for (;;) {
    const FrameReader::Next next = link.reader.Take(opcode, json);
    if (next == FrameReader::Next::kWaiting) break;
    if (next == FrameReader::Next::kTooLarge) {
      Close(host, link);
      return;
    }
    DiscordMessage message;
    const bool wellFormed = ReadDiscordMessage(json.View(), message);
    switch (opcode) {
      case Opcode::kFrame:
        if (!wellFormed) break;
        if (message.evt == "ERROR") TellError(link, message.message);
        if (link.stage == DiscordLink::Stage::kHandshake && message.cmd == "DISPATCH" &&
            message.evt == "READY") {
          link.stage = DiscordLink::Stage::kReady;
        }
        break;
      case Opcode::kPing:
        if (!Write(host, link, Opcode::kPong, json.View())) return;
        break;
      case Opcode::kPong:
        break;
      case Opcode::kClose:
        // Refused before READY: an Application ID Discord does not know, for one.
        if (link.stage == DiscordLink::Stage::kHandshake) TellError(link, message.message);
        Close(host, link);
        return;
      default:
        Close(host, link);
        return;
    }
  }
  if (!open) Close(host, link);
}

[[nodiscard]] bool MaySend(const DiscordLink& link, uint32_t tick) {
  return link.sent < kUpdatesMost ||
         tick - link.sentAt[link.sent % kUpdatesMost] >= kUpdatesWindowMs;
}

void Send(NowPlayingHost& host, DiscordLink& link, uint32_t tick) {
  const Text json = ActivityJson(host.ProcessId(), link.wanted, ++link.nonce);
  if (!Write(host, link, Opcode::kFrame, json.View())) return;
  link.told = link.wanted;
  link.sentAt[link.sent % kUpdatesMost] = tick;
  ++link.sent;
}

void Open(NowPlayingHost& host, DiscordLink& link, uint32_t tick) {
  link.tried = true;
  link.triedAt = tick;
  if (!host.DiscordOpen()) return;
  link.stage = DiscordLink::Stage::kHandshake;
  link.openedAt = tick;
  static_cast<void>(Write(host, link, Opcode::kHandshake, HandshakeJson(link.app.View()).View()));
}

// Discord's timer runs only while something waits on time: READY, the rate, the next try.
void ArmTimer(NowPlayingHost& host, DiscordLink& link, uint32_t tick) {
  uint32_t wait = 0;
  if (link.stage == DiscordLink::Stage::kHandshake) {
    wait = link.openedAt + kReadyWaitMs - tick;
    if (wait > kReadyLookMs) wait = kReadyLookMs;
  } else if (link.stage == DiscordLink::Stage::kReady && link.wanted != link.told) {
    wait = link.sentAt[link.sent % kUpdatesMost] + kUpdatesWindowMs - tick;
  } else if (link.stage == DiscordLink::Stage::kClosed && link.wanted.active) {
    wait = link.triedAt + kRetryMs - tick;
  }
  if (wait == 0 && link.timerMs == 0) return;
  link.timerMs = wait;
  host.DiscordTimer(wait);
}

}  // namespace

void FollowPresence(NowPlayingHost& host, DiscordLink& link, std::string_view app,
                    const Listening& now, bool newTrack) {
  if (app.empty() && link.app.IsEmpty()) return;
  const uint32_t tick = host.GetTickCount();
  Activity wanted;
  if (now.playing) {
    bool anew = newTrack || !link.following || now.lengthSeconds != link.lengthSeconds;
    if (!anew) {
      const int64_t off =
          static_cast<int64_t>(now.positionMs) - (link.positionMs + int64_t{tick - link.lookedAt});
      anew = off > kSeekMs || off < -kSeekMs;
    }
    link.following = true;
    link.lengthSeconds = now.lengthSeconds;
    link.positionMs = now.positionMs;
    link.lookedAt = tick;
    wanted.active = true;
    wanted.details = now.details;
    wanted.state = now.state;
    wanted.start = link.wanted.start;
    wanted.end = link.wanted.end;
    if (anew || !link.wanted.active) {
      wanted.start = host.UnixTime() - now.positionMs / 1000;
      wanted.end = now.lengthSeconds > 0 ? wanted.start + now.lengthSeconds : 0;
    }
  } else {
    link.following = false;
  }
  link.wanted = wanted;
  if (newTrack) link.tryNow = true;
  RunPresence(host, link, app);
}

void RunPresence(NowPlayingHost& host, DiscordLink& link, std::string_view app) {
  const uint32_t tick = host.GetTickCount();
  // Off, or for another application: the pipe goes (and its activity with it).
  if (link.app != app) {
    if (link.stage != DiscordLink::Stage::kClosed) Close(host, link);
    link.app = Text(app);
    link.errorTold = false;
    link.tried = false;
  }
  if (app.empty()) {
    link.wanted = Activity();
    ArmTimer(host, link, tick);
    return;
  }
  if (link.stage != DiscordLink::Stage::kClosed) Read(host, link);
  if (link.stage == DiscordLink::Stage::kHandshake && tick - link.openedAt >= kReadyWaitMs) {
    Close(host, link);
  }
  if (link.stage == DiscordLink::Stage::kReady && link.wanted != link.told && MaySend(link, tick)) {
    Send(host, link, tick);
  }
  if (link.stage == DiscordLink::Stage::kClosed && link.wanted.active &&
      (link.tryNow || !link.tried || tick - link.triedAt >= kRetryMs)) {
    Open(host, link, tick);
  }
  link.tryNow = false;
  ArmTimer(host, link, tick);
}

void EndPresence(NowPlayingHost& host, DiscordLink& link) {
  if (link.stage == DiscordLink::Stage::kClosed) return;
  if (link.stage == DiscordLink::Stage::kReady && link.told.active) {
    static_cast<void>(Write(host, link, Opcode::kFrame,
                            ActivityJson(host.ProcessId(), Activity(), ++link.nonce).View()));
  }
  if (link.stage != DiscordLink::Stage::kClosed) Close(host, link);
  link.timerMs = 0;
  host.DiscordTimer(0);
}
