#!/usr/bin/env bash
# Runs one command inside a pair of throw-away network namespaces, so that
# nothing the tool sends (multicast joins, queries, scans) leaves this machine:
#
#   tool namespace  qzt<pid>  198.18.0.1/16 on veth qa<pid>
#   terminal ns     qzs<pid>  198.18.0.2/16 on veth qb<pid>
#
# Both ends have loopback up, a default route and a multicast route on the
# veth. The command runs in the tool namespace with these variables set:
#   QZ_NETNS_TOOL, QZ_NETNS_TERM   namespace names (for `ip netns exec`)
#   QZ_TOOL_ADDR, QZ_TERM_ADDR     the two veth addresses
#   QZ_TOOL_IF, QZ_TERM_IF         the two veth names
# Tests may add more terminal addresses with
#   ip -n "$QZ_NETNS_TERM" addr add 198.18.X.Y/16 dev "$QZ_TERM_IF"
# The namespaces are always removed, whatever the command does.
# Exit code 77 (a skip for CTest) when the host cannot make namespaces.
set -u

if [ "$(id -u)" != 0 ] || ! command -v ip >/dev/null 2>&1; then
    echo "SKIP: network namespaces need root and iproute2" >&2
    exit 77
fi

id=$$
tool="qzt$id"
term="qzs$id"
vtool="qa$id"
vterm="qb$id"

cleanup() {
    ip netns pids "$tool" 2>/dev/null | xargs -r kill -9 2>/dev/null
    ip netns pids "$term" 2>/dev/null | xargs -r kill -9 2>/dev/null
    ip netns del "$tool" 2>/dev/null
    ip netns del "$term" 2>/dev/null
}
trap cleanup EXIT
trap 'exit 130' INT TERM

set -e
ip netns add "$tool"
ip netns add "$term"
ip link add "$vtool" type veth peer name "$vterm"
ip link set "$vtool" netns "$tool"
ip link set "$vterm" netns "$term"
ip -n "$tool" link set lo up
ip -n "$term" link set lo up
ip -n "$tool" addr add 198.18.0.1/16 dev "$vtool"
ip -n "$term" addr add 198.18.0.2/16 dev "$vterm"
ip -n "$tool" link set "$vtool" up
ip -n "$term" link set "$vterm" up
ip -n "$tool" route add default dev "$vtool"
ip -n "$term" route add default dev "$vterm"
ip -n "$tool" route add 224.0.0.0/4 dev "$vtool"
ip -n "$term" route add 224.0.0.0/4 dev "$vterm"
set +e

export QZ_NETNS_TOOL="$tool" QZ_NETNS_TERM="$term"
export QZ_TOOL_ADDR=198.18.0.1 QZ_TERM_ADDR=198.18.0.2
export QZ_TOOL_IF="$vtool" QZ_TERM_IF="$vterm"
ip netns exec "$tool" "$@"
exit $?
