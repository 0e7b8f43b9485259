#!/usr/bin/env bash
# Runs x11.vyn under a display of its own (Xvfb, on a display number it picks itself), with xclip
# and xsel as the other programs of the same clipboard; its output must equal x11.out. Skipped
# (status 77) where Xvfb, xclip or xsel is not installed.
set -u
for program in Xvfb xclip xsel; do
  command -v "$program" >/dev/null || { echo "skipped: $program is not installed"; exit 77; }
done
bin="$1"
here=$(cd "$(dirname "$0")" && pwd)
work=$(mktemp -d)
Xvfb -displayfd 3 -nolisten tcp -screen 0 64x64x24 3>"$work/display" 2>"$work/xvfb.log" &
xvfb=$!
trap 'kill $xvfb 2>/dev/null; wait $xvfb 2>/dev/null; rm -rf "$work"' EXIT
for _ in $(seq 100); do [ -s "$work/display" ] && break; sleep 0.05; done
[ -s "$work/display" ] || { echo "Xvfb did not start:"; cat "$work/xvfb.log"; exit 1; }
export DISPLAY=":$(tr -d '\n' < "$work/display")"
unset WAYLAND_DISPLAY TMUX STY
export CLIPBOARD_TEST_DIR="$work"
limit=60
[ -n "${VYN_GC_STRESS:-}" ] && limit=600
(cd "$work" && timeout "$limit" "$bin" "$here/x11.vyn") < /dev/null > "$work/out"
status=$?
if ! cmp -s "$work/out" "$here/x11.out"; then
  echo "output differs from x11.out:"; diff "$here/x11.out" "$work/out" | head -60; exit 1
fi
[ "$status" = 0 ] || { echo "exit status $status"; exit 1; }
