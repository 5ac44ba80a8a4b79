# Sourced by the run and test scripts: a Wine prefix inside the build folder, a display, and a
# Wine server that no test output pipe inherits.
#   wine_session_start BUILD_DIR   sets WINEPREFIX, DISPLAY (Xvfb when there is none), WINEDEBUG
#   wine_session_stop              ends the server and the Xvfb it started

wine_session_xvfb_pid=""

wine_session_start() {
  local build_dir=$1
  export WINEPREFIX="$build_dir/wineprefix"
  export WINEDEBUG=-all
  export WINEDLLOVERRIDES="mscoree,mshtml="

  if [ -z "${DISPLAY:-}" ]; then
    local number
    for number in $(seq 90 120); do
      if [ ! -e "/tmp/.X11-unix/X$number" ] && [ ! -e "/tmp/.X$number-lock" ]; then break; fi
    done
    Xvfb ":$number" -screen 0 1024x768x24 -nolisten tcp >/dev/null 2>&1 </dev/null &
    wine_session_xvfb_pid=$!
    export DISPLAY=":$number"
    for _ in $(seq 50); do
      [ -e "/tmp/.X11-unix/X$number" ] && break
      sleep 0.1
    done
  fi

  if [ ! -f "$WINEPREFIX/system.reg" ]; then
    echo "Creating the Wine prefix $WINEPREFIX"
    wineboot -i >/dev/null 2>&1 </dev/null
    # Unmanaged windows close at once under a display without a window manager (a managed one
    # waits two seconds) and carry a caption of Wine's own, which screenshots show.
    wine reg add 'HKCU\Software\Wine\X11 Driver' /v Managed /d N /f >/dev/null 2>&1 </dev/null
    wineserver -w
  fi
  # Started with no standard streams, so no test's output pipe is held open by Wine's services.
  wineserver -p >/dev/null 2>&1 </dev/null
  wine cmd /c exit >/dev/null 2>&1 </dev/null
}

wine_session_stop() {
  wineserver -k >/dev/null 2>&1 </dev/null || true
  if [ -n "$wine_session_xvfb_pid" ]; then
    kill "$wine_session_xvfb_pid" 2>/dev/null || true
    wait "$wine_session_xvfb_pid" 2>/dev/null || true
  fi
}
