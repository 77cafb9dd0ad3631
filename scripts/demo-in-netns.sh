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
if [ -n "${QUENZAL_DEMO_VNC_SOCKET:-}" ]; then
    export QT_QPA_PLATFORM="vnc:port=5900"
    socat UNIX-LISTEN:"$QUENZAL_DEMO_VNC_SOCKET",fork,unlink-early,unlink-close TCP:127.0.0.1:5900 &
    echo "No display: point a VNC viewer at this machine, port ${QUENZAL_VNC_PORT:-5900}."
fi
timeout "$seconds" build/bin/quenzal
