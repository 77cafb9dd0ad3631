#!/usr/bin/env bash
# The layers' includes run one way: gui -> core, cli -> core, programs -> gui
# or cli. The core's link line already keeps Qt Widgets out; this keeps the
# folders honest too: no core file includes a window or CLI header, no CLI
# file a window header, and no window file a CLI header.
set -u
src="${1:?source folder}"
status=0
check() { # folder pattern what
    local hits
    hits="$(grep -rnE "#include [\"<]($2)" "$src/$1" 2>/dev/null)"
    if [ -n "$hits" ]; then
        echo "$3:" >&2
        echo "$hits" >&2
        status=1
    fi
}
check core 'gui/|cli/|programs/|ui_|QtWidgets|QWidget|QtGui|QApplication' "the core includes a window, CLI or Qt Gui header"
check cli 'gui/|programs/|ui_|QtWidgets|QWidget|QtGui|QApplication' "the CLI includes a window header"
check gui 'cli/|programs/' "the window layer includes a CLI or program header"
[ "$status" = 0 ] && echo "includes run one way: gui -> core, cli -> core"
exit "$status"
