#!/usr/bin/env bash
# Installs what is needed, builds Quenzal and starts it.
# Without a graphical display the window is served through Qt's VNC platform
# plugin instead (port QUENZAL_VNC_PORT, default 5900).
set -euo pipefail
cd "$(dirname "$0")/.."

scripts/install-deps.sh
cmake -S . -B build -DCMAKE_BUILD_TYPE=RelWithDebInfo -DQUENZAL_BUILD_TESTS=OFF -DQUENZAL_BUILD_BENCH=OFF >/dev/null
cmake --build build --target quenzal quenzal-terminal-sim -j"$(nproc)"

if [ -z "${QT_QPA_PLATFORM:-}" ] && [ -z "${DISPLAY:-}" ] && [ -z "${WAYLAND_DISPLAY:-}" ]; then
    port="${QUENZAL_VNC_PORT:-5900}"
    address="$(hostname -I 2>/dev/null | awk '{print $1}')"
    echo "No graphical display here (DISPLAY is not set)."
    echo "Serving the Quenzal window over VNC instead: point a VNC viewer at ${address:-this machine}:${port}"
    echo "(Ctrl+C ends the tool.)"
    export QT_QPA_PLATFORM="vnc:port=${port}"
fi
exec build/bin/quenzal "$@"
