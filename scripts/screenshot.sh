#!/usr/bin/env bash
# Takes the README's screenshot (docs/quenzal-window.png): the window after
# a LAN scan of the example fleet, under Xvfb, inside the namespace rig, so
# nothing leaves the machine. Needs root, a build in build/, Xvfb, xdotool and
# ImageMagick's import.
#   scripts/screenshot.sh [OUTPUT.png]
set -euo pipefail
cd "$(dirname "$0")/.."
out="$(realpath -m "${1:-docs/quenzal-window.png}")"

if [ -z "${QZ_NETNS_TOOL:-}" ]; then
    exec tests/netns/run-in-netns.sh bash "$0" "$out"
fi

ip -n "$QZ_NETNS_TERM" addr add 198.18.1.6/16 dev "$QZ_TERM_IF"
ip -n "$QZ_NETNS_TERM" addr add 198.18.1.12/16 dev "$QZ_TERM_IF"
ip netns exec "$QZ_NETNS_TERM" build/tools/quenzal-terminal-sim \
    --config tools/terminal-sim/example-fleet.conf --seconds 60 --log "$(mktemp)" >/dev/null &

display=":$((90 + RANDOM % 100))"
Xvfb "$display" -screen 0 1180x760x24 -nolisten tcp >/dev/null 2>&1 &
xvfb=$!
trap 'kill $xvfb 2>/dev/null' EXIT
for _ in $(seq 50); do [ -e "/tmp/.X11-unix/X${display#:}" ] && break; sleep 0.1; done
export DISPLAY="$display"

QT_QPA_PLATFORM=xcb timeout 60 build/bin/quenzal &
window="$(timeout 20 xdotool search --sync --name 'QuenzalV7.6' | head -n 1)"
sleep 1
# Press 扫描设备. Without a window manager the window sits at 0,0 in the
# size of its form; QUENZAL_SCAN_AT=X,Y moves the click if the form changes.
at="${QUENZAL_SCAN_AT:-930,638}"
xdotool mousemove "${at%,*}" "${at#*,}" click 1
sleep 2
import -window "$window" "$out"
echo "$out"
