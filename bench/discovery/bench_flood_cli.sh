#!/usr/bin/env bash
# Soak of quenzal-cli scan: the same flood as bench_flood (junk on both
# ports, two replies from each of 500 terminals spread over the run) while
# one LAN scan collects. Reports the terminals found, the rate, and the
# scan's resident memory before the flood and at its largest.
# Run inside the namespace rig, from the build's root folder:
#   tests/netns/run-in-netns.sh bash bench/discovery/bench_flood_cli.sh BUILD_DIR [seconds]
set -u
build="${1:?build folder}"
seconds="${2:-60}"
out="$(mktemp -d)"
trap 'rm -rf "$out"' EXIT

QT_LOGGING_RULES="quenzal.*.debug=false" "$build/bin/quenzal-cli" scan --wait 5 --format json \
    >"$out/scan.json" 2>"$out/scan.err" &
cli=$!
rss() { awk '/^VmRSS:/ { print $2 }' "/proc/$cli/status" 2>/dev/null; }
sleep 1
before="$(rss)"
ip netns exec "$QZ_NETNS_TERM" "$build/tools/quenzal-flood" --target "$QZ_TOOL_ADDR" \
    --seconds "$seconds" --terminals 500 >"$out/flood.txt" &
flood=$!
peak="$before"
while kill -0 "$cli" 2>/dev/null; do
    now="$(rss)"
    [ -n "$now" ] && [ "$now" -gt "$peak" ] && peak="$now"
    sleep 0.2
done
wait "$cli"
rc=$?
wait "$flood"
read -r _ sent replies ms <"$out/flood.txt"
found="$(python3 -c 'import json,sys; print(len({r["id"] for r in json.load(open(sys.argv[1]))}))' "$out/scan.json")"
records="$(python3 -c 'import json,sys; print(len(json.load(open(sys.argv[1]))))' "$out/scan.json")"
echo "flood: $sent datagrams ($replies replies) in $ms ms: $((sent * 1000 / (ms > 0 ? ms : 1))) datagrams/s"
echo "quenzal-cli scan: exit $rc, $records records, $found distinct terminal IDs of 500"
echo "resident memory: $((before / 1024)) MiB before the flood, $((peak / 1024)) MiB at most (+$(((peak - before) / 1024)) MiB)"
[ "$found" = 500 ]
