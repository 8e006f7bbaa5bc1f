// discord.exe: the stand-in Discord. It serves \\?\pipe\discord-ipc-0 as Discord's desktop
// client does for its published RPC client (discord-rpc), records every frame it receives, and
// can misbehave on purpose. README.md says which behaviour follows which source.
//
//   discord.exe [--record FILE] [--mode ready|error|refuse|ping|close] [--slow MS]
//               [--after MS] [--for MS]
//
// Each received frame becomes one line of FILE (or of the standard output): the milliseconds
// since the start, the opcode, the JSON. "connect" and "disconnect" lines mark each client.
#include <windows.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>

namespace {

enum class Mode { kReady, kError, kRefuse, kPing, kClose };

struct Options {
  const char* record = nullptr;
  Mode mode = Mode::kReady;
  DWORD slowMs = 0;   // the handshake answered this late
  DWORD afterMs = 0;  // no pipe at all before this
  DWORD forMs = 0;    // the program ends after this (0: never)
};

constexpr DWORD kFrameMost = 64 * 1024;
constexpr char kReady[] =
    R"({"cmd":"DISPATCH","data":{"v":1,"config":{"cdn_host":"cdn.discordapp.com","api_endpoint":"//discord.com/api","environment":"production"},"user":{"id":"1","username":"stand-in","discriminator":"0","avatar":null}},"evt":"READY","nonce":null})";

DWORD started = 0;
FILE* out = stdout;

void Note(const char* what, const std::string& json) {
  std::fprintf(out, "%lu %s %s\n", GetTickCount() - started, what, json.c_str());
  std::fflush(out);
}

bool ReadAll(HANDLE pipe, void* data, DWORD size) {
  auto* bytes = static_cast<char*>(data);
  while (size > 0) {
    DWORD got = 0;
    if (!ReadFile(pipe, bytes, size, &got, nullptr) || got == 0) return false;
    bytes += got;
    size -= got;
  }
  return true;
}

bool Send(HANDLE pipe, uint32_t opcode, const std::string& json) {
  std::string frame(8, '\0');
  const uint32_t header[2] = {opcode, static_cast<uint32_t>(json.size())};
  std::memcpy(&frame[0], header, sizeof header);
  frame += json;
  DWORD wrote = 0;
  return WriteFile(pipe, frame.data(), static_cast<DWORD>(frame.size()), &wrote, nullptr) &&
         wrote == frame.size();
}

// The "nonce" of a command, for its answer.
std::string NonceOf(const std::string& json) {
  const size_t at = json.find("\"nonce\":\"");
  if (at == std::string::npos) return "null";
  const size_t end = json.find('"', at + 9);
  return end == std::string::npos ? "null" : json.substr(at + 8, end - at - 7);
}

const char* OpcodeName(uint32_t opcode) {
  static const char* const names[] = {"handshake", "frame", "close", "ping", "pong"};
  return opcode < 5 ? names[opcode] : "unknown";
}

// One client, until it or this program closes the pipe.
void Serve(HANDLE pipe, const Options& options) {
  bool ready = false;
  int frames = 0;
  for (;;) {
    uint32_t header[2];
    if (!ReadAll(pipe, header, sizeof header)) return;
    if (header[1] > kFrameMost - 8) {
      Note("too-large", std::to_string(header[1]));
      return;
    }
    std::string json(header[1], '\0');
    if (header[1] != 0 && !ReadAll(pipe, &json[0], header[1])) return;
    Note(OpcodeName(header[0]), json);
    if (header[0] == 0 && !ready) {
      if (options.slowMs) Sleep(options.slowMs);
      if (options.mode == Mode::kRefuse) {
        Send(pipe, 2, R"({"code":4000,"message":"Invalid Client ID"})");
        return;
      }
      if (!Send(pipe, 1, kReady)) return;
      ready = true;
      if (options.mode == Mode::kPing) Send(pipe, 3, R"({"stand-in":"ping"})");
    } else if (header[0] == 1 && ready) {
      ++frames;
      const std::string nonce = NonceOf(json);
      if (options.mode == Mode::kError) {
        Send(
            pipe, 1,
            R"({"cmd":"SET_ACTIVITY","data":{"code":4000,"message":"Unknown application"},"evt":"ERROR","nonce":)" +
                nonce + "}");
      } else {
        Send(pipe, 1, R"({"cmd":"SET_ACTIVITY","data":null,"evt":null,"nonce":)" + nonce + "}");
      }
      if (options.mode == Mode::kClose && frames == 1) return;
    } else if (header[0] == 2) {
      return;
    }
  }
}

bool ParseOptions(int argc, char** argv, Options& options) {
  for (int i = 1; i + 1 < argc; i += 2) {
    const std::string name = argv[i];
    const char* value = argv[i + 1];
    if (name == "--record") {
      options.record = value;
    } else if (name == "--slow") {
      options.slowMs = static_cast<DWORD>(std::atoi(value));
    } else if (name == "--after") {
      options.afterMs = static_cast<DWORD>(std::atoi(value));
    } else if (name == "--for") {
      options.forMs = static_cast<DWORD>(std::atoi(value));
    } else if (name == "--mode") {
      const std::string mode = value;
      if (mode == "ready")
        options.mode = Mode::kReady;
      else if (mode == "error")
        options.mode = Mode::kError;
      else if (mode == "refuse")
        options.mode = Mode::kRefuse;
      else if (mode == "ping")
        options.mode = Mode::kPing;
      else if (mode == "close")
        options.mode = Mode::kClose;
      else
        return false;
    } else {
      return false;
    }
  }
  return argc % 2 == 1;
}

DWORD WINAPI EndLater(void* ms) {
  Sleep(static_cast<DWORD>(reinterpret_cast<uintptr_t>(ms)));
  if (out != stdout) std::fclose(out);
  ExitProcess(0);
}

}  // namespace

int main(int argc, char** argv) {
  Options options;
  if (!ParseOptions(argc, argv, options)) {
    std::fprintf(stderr,
                 "usage: discord.exe [--record FILE] [--mode ready|error|refuse|ping|close] "
                 "[--slow MS] [--after MS] [--for MS]\n");
    return 2;
  }
  started = GetTickCount();
  if (options.record) {
    out = std::fopen(options.record, "ab");
    if (!out) return 1;
  }
  if (options.forMs) {
    CreateThread(nullptr, 0, &EndLater, reinterpret_cast<void*>(uintptr_t{options.forMs}), 0,
                 nullptr);
  }
  Sleep(options.afterMs);
  for (;;) {
    const HANDLE pipe = CreateNamedPipeW(L"\\\\.\\pipe\\discord-ipc-0", PIPE_ACCESS_DUPLEX,
                                         PIPE_TYPE_BYTE | PIPE_READMODE_BYTE | PIPE_WAIT, 1,
                                         kFrameMost, kFrameMost, 0, nullptr);
    if (pipe == INVALID_HANDLE_VALUE) return 1;
    if (ConnectNamedPipe(pipe, nullptr) || GetLastError() == ERROR_PIPE_CONNECTED) {
      Note("connect", "{}");
      Serve(pipe, options);
      Note("disconnect", "{}");
      FlushFileBuffers(pipe);
      DisconnectNamedPipe(pipe);
    }
    CloseHandle(pipe);
  }
}
