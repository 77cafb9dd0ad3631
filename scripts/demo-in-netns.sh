#!/usr/bin/env bash
# The inside of scripts/demo.sh: runs in the tool namespace of the rig.
set -u
seconds="$1"
ip -n "$QZ_NETNS_TERM" addr add 198.18.1.6/16 dev "$QZ_TERM_IF"
ip -n "$QZ_NETNS_TERM" addr add 198.18.1.12/16 dev "$QZ_TERM_IF"
ip netns exec "$QZ_NETNS_TERM" build/tools/quenzal-terminal-sim \
    --config tools/terminal-sim/example-fleet.conf --seconds "$seconds" --log /tmp/quenzal-demo-sim.log &

echo "Terminal simulator: 3 terminals (example-fleet.conf), log in /tmp/quenzal-demo-sim.log"
echo "LAN scan: press 扫描设备. WAN scan: tick 跨网, range 198.18.1.1 to 198.18.1.20, press 扫描设备."
if [ -z "${DISPLAY:-}" ] && [ -z "${WAYLAND_DISPLAY:-}" ]; then
    port="${QUENZAL_VNC_PORT:-5900}"
    sock="/tmp/quenzal-demo-vnc.$$.sock"
    export QT_QPA_PLATFORM="vnc:port=5900"
    # The VNC server listens inside the namespace; a unix socket (the file
    # system is shared) carries it out to this machine's port.
    socat UNIX-LISTEN:"$sock",fork TCP:127.0.0.1:5900 &
    nsenter --net=/proc/1/ns/net socat TCP-LISTEN:"$port",fork,reuseaddr UNIX-CONNECT:"$sock" &
    echo "No display: point a VNC viewer at this machine, port ${port}."
fi
timeout "$seconds" build/src/quenzal
