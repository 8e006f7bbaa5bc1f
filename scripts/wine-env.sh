# Sourced by the scripts that run Windows programs: a Wine prefix of the build's own and,
# unless a display is given, a virtual X display with a window manager in it.
#   WINE_ROOT   folder for the prefix and the display's files (required)
#   NEED_COMPOSITOR=1  also run a compositor, so screenshots show the real translucency
#   WINE_TWO_MONITORS=1  a display with two monitors (see below)
#   WINE_TRAY=1  also run a notification area (Debian's trayer, an XEmbed tray) at the top
#                right, where Wine docks the programs' icons
export WINEPREFIX="$WINE_ROOT/wineprefix"
export WINEDEBUG=-all
# Without winedbg disabled a crashing program starts the debugger and hangs.
export WINEDLLOVERRIDES="winedbg.exe=d;mscoree=d;mshtml=d"
# Under qemu-i386, Wine probes the whole address space in 64 KiB steps at every start
# (qemu ignores MAP_FIXED_NOREPLACE); a guest space just above 2 GiB keeps the start near 2 s.
export QEMU_RESERVED_VA=0x81000000

wine_env_started=()

wine_env_start() {
  mkdir -p "$WINE_ROOT"
  if [ -z "${DISPLAY:-}" ] || [ -n "${WINE_OWN_DISPLAY:-}" ]; then
    local fdfile="$WINE_ROOT/display.$$"
    local screens=(-screen 0 1280x800x24)
    # Two monitors for Wine: Xinerama joins a second, larger screen, and without RandR Wine
    # takes its monitors from Xinerama. Xvfb puts both screens at the origin, one over the
    # other, which also changes full-screen windows: only the tests of the Monitor setting run
    # on this display. Where they overlap the system names the primary as the one under the
    # mouse pointer; beyond 1280x800 the pointer is on the second alone.
    if [ -n "${WINE_TWO_MONITORS:-}" ]; then
      screens=(+xinerama -extension RANDR "${screens[@]}" -screen 1 1600x900x24)
    fi
    # -ardelay: a key that xdotool holds down long on a busy machine (its release comes late)
    # repeats no more, typing itself again into the next window.
    Xvfb -displayfd 3 -ardelay 60000 "${screens[@]}" -nolisten tcp 3>"$fdfile" >/dev/null 2>&1 &
    wine_env_started+=($!)
    for _ in $(seq 100); do [ -s "$fdfile" ] && break; sleep 0.1; done
    export DISPLAY=":$(head -n1 "$fdfile")"
    rm -f "$fdfile"
    # Without a window manager Wine waits 2 s for every hide of a framed window.
    openbox --sm-disable >/dev/null 2>&1 &
    wine_env_started+=($!)
    if [ -n "${WINE_TRAY:-}" ]; then
      trayer --edge top --align right --widthtype pixel --width 120 --height 24 >/dev/null 2>&1 &
      wine_env_started+=($!)
    fi
    if [ -n "${NEED_COMPOSITOR:-}" ]; then
      xcompmgr >/dev/null 2>&1 &
      wine_env_started+=($!)
    fi
    sleep 0.5
  fi
  if [ ! -f "$WINEPREFIX/system.reg" ]; then
    wineboot -i </dev/null >/dev/null 2>&1 || true
    # Let wineboot's own server finish, or the persistent one below cannot start.
    wineserver -w 2>/dev/null || true
  fi
  wineserver -p 2>/dev/null || true
  # Warm-up: without it every program waits for Wine's services to let go of its pipes.
  wine cmd /c exit 0 </dev/null >/dev/null 2>&1 || true
  return 0
}

wine_env_stop() {
  wineserver -k 2>/dev/null || true
  for pid in "${wine_env_started[@]}"; do kill "$pid" 2>/dev/null || true; done
  wine_env_started=()
}
