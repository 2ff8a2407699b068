#!/usr/bin/env bash
# Runs a command inside a private desktop session for tests: an Xvfb server, a small window manager
# and a session D-Bus. Everything started here is ended when the command returns.
set -euo pipefail

if [ $# -eq 0 ]; then
  echo "usage: $0 COMMAND [ARG...]" >&2
  exit 2
fi

if [ -z "${QS_IN_DBUS_SESSION:-}" ]; then
  export QS_IN_DBUS_SESSION=1
  exec dbus-run-session -- "$0" "$@"
fi

runtime="$(mktemp -d "${TMPDIR:-/tmp}/quillstack-test-session.XXXXXX")"
chmod 700 "$runtime"
cleanup() {
  [ -n "${wm_pid:-}" ] && kill "$wm_pid" 2>/dev/null || true
  [ -n "${xvfb_pid:-}" ] && kill "$xvfb_pid" 2>/dev/null || true
  wait 2>/dev/null || true
  rm -rf "$runtime"
}
trap cleanup EXIT

Xvfb -displayfd 3 -screen 0 1920x1080x24 -nolisten tcp 3>"$runtime/display" >"$runtime/xvfb.log" 2>&1 &
xvfb_pid=$!
display=""
for _ in $(seq 1 100); do
  display="$(tr -dc '0-9' <"$runtime/display" 2>/dev/null || true)"
  [ -n "$display" ] && break
  sleep 0.1
done
if [ -z "$display" ]; then
  echo "with-test-session: Xvfb did not start" >&2
  cat "$runtime/xvfb.log" >&2
  exit 1
fi
export DISPLAY=":$display"
export XDG_RUNTIME_DIR="$runtime"
export XDG_SESSION_TYPE=x11
unset WAYLAND_DISPLAY

matchbox-window-manager -use_titlebar no >"$runtime/wm.log" 2>&1 &
wm_pid=$!
for _ in $(seq 1 50); do
  xprop -root _NET_SUPPORTING_WM_CHECK 2>/dev/null | grep -q 'window id' && break
  sleep 0.1
done

"$@"
