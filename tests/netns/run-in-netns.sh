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
#
# With --second-pair as the first argument a second terminal namespace is
# joined to the tool namespace by a second veth pair, without a route of its
# own (traffic reaches it only when sent out of that interface):
#   second terminal ns  qzu<pid>  198.19.0.2/16 on veth qd<pid>
#   tool side           198.19.0.1/16 on veth qc<pid>
# and QZ_NETNS_TERM2, QZ_TOOL2_ADDR, QZ_TERM2_ADDR, QZ_TOOL2_IF, QZ_TERM2_IF
# name them.
# The namespaces are always removed, whatever the command does.
# Exit code 77 (a skip for CTest) when the host cannot make namespaces.
set -u

if [ "$(id -u)" != 0 ] || ! command -v ip >/dev/null 2>&1; then
    echo "SKIP: network namespaces need root and iproute2" >&2
    exit 77
fi

second=0
if [ "${1:-}" = "--second-pair" ]; then
    second=1
    shift
fi

id=$$
tool="qzt$id"
term="qzs$id"
vtool="qa$id"
vterm="qb$id"
term2="qzu$id"
vtool2="qc$id"
vterm2="qd$id"

cleanup() {
    ip netns pids "$tool" 2>/dev/null | xargs -r kill -9 2>/dev/null
    ip netns pids "$term" 2>/dev/null | xargs -r kill -9 2>/dev/null
    ip netns del "$tool" 2>/dev/null
    ip netns del "$term" 2>/dev/null
    if [ "$second" = 1 ]; then
        ip netns pids "$term2" 2>/dev/null | xargs -r kill -9 2>/dev/null
        ip netns del "$term2" 2>/dev/null
    fi
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
if [ "$second" = 1 ]; then
    ip netns add "$term2"
    ip link add "$vtool2" type veth peer name "$vterm2"
    ip link set "$vtool2" netns "$tool"
    ip link set "$vterm2" netns "$term2"
    ip -n "$term2" link set lo up
    ip -n "$tool" addr add 198.19.0.1/16 dev "$vtool2"
    ip -n "$term2" addr add 198.19.0.2/16 dev "$vterm2"
    ip -n "$tool" link set "$vtool2" up
    ip -n "$term2" link set "$vterm2" up
    ip -n "$term2" route add default dev "$vterm2"
    ip -n "$term2" route add 224.0.0.0/4 dev "$vterm2"
    export QZ_NETNS_TERM2="$term2" QZ_TOOL2_ADDR=198.19.0.1 QZ_TERM2_ADDR=198.19.0.2
    export QZ_TOOL2_IF="$vtool2" QZ_TERM2_IF="$vterm2"
fi
set +e

export QZ_NETNS_TOOL="$tool" QZ_NETNS_TERM="$term"
export QZ_TOOL_ADDR=198.18.0.1 QZ_TERM_ADDR=198.18.0.2
export QZ_TOOL_IF="$vtool" QZ_TERM_IF="$vterm"
ip netns exec "$tool" "$@"
exit $?
