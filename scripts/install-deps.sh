#!/usr/bin/env bash
# Installs the Debian 12 packages Quenzal needs. With --test, also what the
# test suite needs (network namespaces, clang's libFuzzer). Installs only
# what is missing, so a second run is quick and needs no network.
set -euo pipefail

packages=(
    build-essential cmake ninja-build pkg-config mold   # mold: the fast linker
    qt6-base-dev qt6-base-dev-tools qt6-qpa-plugins libqt6network6
    libsqlite3-dev sqlite3
    qt6-tools-dev qt6-tools-dev-tools qt6-l10n-tools   # lrelease for the English translation
    fonts-wqy-microhei          # CJK glyphs for the Chinese captions
)
if [ "${1:-}" = "--test" ]; then
    packages+=(iproute2 procps clang libclang-rt-14-dev xvfb xauth
        desktop-file-utils appstream     # validators of the menu entry and metainfo
        dpkg-dev fakeroot file lintian   # cpack -G DEB (dpkg-shlibdeps) and its check
        man-db                           # manual page warnings
        tshark tcpdump                   # the dissector test: capture and decode
        imagemagick xdotool)             # README screenshot (scripts/screenshot.sh)
fi

missing=()
for p in "${packages[@]}"; do
    dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed" || missing+=("$p")
done
[ ${#missing[@]} -eq 0 ] && exit 0

echo "Installing: ${missing[*]}"
sudo=""
if [ "$(id -u)" != 0 ]; then
    command -v sudo >/dev/null 2>&1 || { echo "Need root (or sudo) to install: ${missing[*]}" >&2; exit 1; }
    sudo="sudo"
fi
export DEBIAN_FRONTEND=noninteractive
# wireshark-common asks whether non-root users may capture; answer no
# beforehand, so the install never stops at a prompt.
if printf '%s\n' "${missing[@]}" | grep -qx tshark && command -v debconf-set-selections >/dev/null 2>&1; then
    echo "wireshark-common wireshark-common/install-setuid boolean false" | $sudo debconf-set-selections
fi
$sudo apt-get update -qq
$sudo apt-get install -y -qq --no-install-recommends "${missing[@]}"
