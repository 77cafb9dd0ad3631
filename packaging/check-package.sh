#!/usr/bin/env bash
# Builds the Debian package of a configured and built tree and checks it:
#   - lintian reports no error,
#   - dpkg-deb -x unpacks it into a temporary folder,
#   - every file the install should put in place is there,
#   - the unpacked programs answer --version with "<name> <version>",
#   - the unpacked menu entry and metainfo pass desktop-file-validate and
#     appstreamcli validate,
#   - the dissector sits in the folder where this host's Wireshark reads
#     global Lua plugins.
# Usage: check-package.sh BUILD_DIR CONFIG VERSION PROGRAM...
#   CONFIG: the build configuration to package (RelWithDebInfo, Release...;
#           what ctest -C names in a multi-configuration build)
#   PROGRAM: every program the package must hold (quenzal, quenzal-cli)
set -euo pipefail

build="$(cd "$1" && pwd)"
config="$2"
version="$3"
shift 3
programs=("$@")
[ ${#programs[@]} -gt 0 ] || programs=(quenzal)
fail() { echo "FAIL: $*" >&2; exit 1; }

for tool in cpack dpkg-deb dpkg-shlibdeps lintian desktop-file-validate appstreamcli; do
    command -v "$tool" >/dev/null 2>&1 || fail "$tool is missing (scripts/install-deps.sh --test installs it)"
done

work="$(mktemp -d)"
trap 'rm -rf "$work"' EXIT

echo "== cpack -G DEB"
(cd "$work" && cpack -G DEB -C "$config" --config "$build/CPackConfig.cmake" -B "$work/out") >"$work/cpack.log" 2>&1 \
    || { cat "$work/cpack.log"; fail "cpack"; }
deb="$(ls "$work"/out/*.deb)"
[ "$(echo "$deb" | wc -l)" = 1 ] || fail "expected one package, got: $deb"
echo "$deb"
dpkg-deb -I "$deb" | sed -n '/Package:/p;/Version:/p;/Depends:/p'
dpkg-deb -f "$deb" Version | grep -qx "$version" || fail "package version is not $version"
dpkg-deb -f "$deb" Depends | grep -q 'libqt6core6' || fail "Depends not computed from the binaries"

echo "== lintian"
# --fail-on error: warnings and infos are shown but pass.
lintian --fail-on error --tag-display-limit 0 "$deb" || fail "lintian reports errors"

echo "== dpkg-deb -x"
root="$work/root"
dpkg-deb -x "$deb" "$root"
expected=(
    usr/share/applications/org.quenzal.Quenzal.desktop
    usr/share/icons/hicolor/scalable/apps/org.quenzal.Quenzal.svg
    usr/share/metainfo/org.quenzal.Quenzal.metainfo.xml
    usr/share/doc/quenzal/copyright
    usr/share/doc/quenzal/changelog.gz
)
for p in "${programs[@]}"; do
    expected+=("usr/bin/$p" "usr/share/man/man1/$p.1.gz")
done
wireshark_dir="$(tshark -G folders 2>/dev/null | sed -n 's/^Global Lua Plugins:[[:space:]]*//p' || true)"
if [ -n "$wireshark_dir" ]; then
    expected+=("${wireshark_dir#/}/quenzal.lua")
else
    echo "note: no tshark here, the dissector's folder is not compared"
    expected+=("$(cd "$root" && find . -name quenzal.lua | sed 's|^\./||' | head -n 1)")
fi
# Translations, when the build made any.
if find "$build" -name '*.qm' -not -path '*/_CPack_Packages/*' | grep -q .; then
    ls "$root"/usr/share/quenzal/translations/*.qm >/dev/null 2>&1 || fail "the build made .qm files but none is installed"
fi
# Nothing else in bin/: every installed program has its page and is checked.
for f in "$root"/usr/bin/*; do
    printf '%s\n' "${programs[@]}" | grep -qx "$(basename "$f")" || fail "unexpected program in the package: $f"
done
for f in "${expected[@]}"; do
    [ -n "$f" ] && [ -s "$root/$f" ] || fail "missing or empty in the package: /$f"
    echo "ok /$f"
done

echo "== --version of the unpacked programs"
for p in "${programs[@]}"; do
    out="$(env -u DISPLAY -u WAYLAND_DISPLAY -u QT_QPA_PLATFORM "$root/usr/bin/$p" --version)" \
        || fail "$p --version exits with $?"
    [ "$out" = "$p $version" ] || fail "$p --version printed '$out', expected '$p $version'"
    echo "ok $out"
done

echo "== validators on the unpacked files"
desktop-file-validate "$root/usr/share/applications/org.quenzal.Quenzal.desktop" || fail "desktop-file-validate"
appstreamcli validate --no-net "$root/usr/share/metainfo/org.quenzal.Quenzal.metainfo.xml" || fail "appstreamcli validate"
for p in "${programs[@]}"; do
    warnings="$(LC_ALL=C.UTF-8 MANWIDTH=80 man --warnings -l "$root/usr/share/man/man1/$p.1.gz" 2>&1 >/dev/null || true)"
    [ -z "$warnings" ] || fail "man page of $p: $warnings"
done
echo "PASS"
