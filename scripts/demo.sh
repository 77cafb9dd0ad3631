#!/usr/bin/env bash
# Tries the tool without hardware: builds Quenzal and the terminal simulator,
# makes a pair of network namespaces (tools/terminal-sim/README.md), plays the
# example fleet in the terminal namespace and starts the tool in the tool
# namespace. Nothing reaches the machine's real network. Needs root.
#
# With a display the window opens on it. Without one, the window is served
# over VNC and bridged out of the namespace to port QUENZAL_VNC_PORT (5900) of
# this machine through a unix socket.
set -euo pipefail
cd "$(dirname "$0")/.."

extra=()
if [ -z "${DISPLAY:-}" ] && [ -z "${WAYLAND_DISPLAY:-}" ]; then
    extra+=(socat)
fi
scripts/install-deps.sh --test
if [ ${#extra[@]} -gt 0 ] && ! command -v socat >/dev/null 2>&1; then
    DEBIAN_FRONTEND=noninteractive apt-get install -y -qq socat
fi
cmake -S . -B build -DCMAKE_BUILD_TYPE=RelWithDebInfo >/dev/null
cmake --build build --target quenzal quenzal-terminal-sim -j"$(nproc)"

if [ ${#extra[@]} -gt 0 ]; then
    # The VNC server will listen inside the tool namespace; a unix socket
    # (the file system is shared) carries it out to this machine's port.
    export QUENZAL_DEMO_VNC_SOCKET="/tmp/quenzal-demo-vnc.$$.sock"
    socat TCP-LISTEN:"${QUENZAL_VNC_PORT:-5900}",fork,reuseaddr UNIX-CONNECT:"$QUENZAL_DEMO_VNC_SOCKET" &
    bridge=$!
    trap 'kill $bridge 2>/dev/null; rm -f "$QUENZAL_DEMO_VNC_SOCKET"' EXIT
fi
tests/netns/run-in-netns.sh scripts/demo-in-netns.sh "${DEMO_SECONDS:-3600}"
