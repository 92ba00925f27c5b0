#!/bin/bash
# Local address discovery for real. In network, UTS and mount namespaces of
# its own, with a private host name and /etc/hosts, the addresses Wine gives
# for the host's own name are those of the namespace's interfaces (one per
# interface that has a route, lowest route metric first); the library must
# take the first that passes its rules, and report a failed lookup.
#
# usage: discovery_in_namespace.sh <folder of the programs> <Wine prefix>
# The folder holds tcs_probe.exe, tcs_host_addresses.exe, TavixConfigSet.dll
# and environment.dll. Exits 77 where namespaces cannot be made.
set -u

skip() { echo "SKIPPED: $*"; exit 77; }

if [ "${1:-}" != --inside ]; then
    [ $# -eq 2 ] || { echo "usage: $0 <folder> <wine prefix>" >&2; exit 2; }
    [ "$(id -u)" = 0 ] || skip "making network namespaces needs root"
    command -v unshare >/dev/null && command -v ip >/dev/null || skip "unshare or ip is missing"
    unshare --net --uts --mount true 2>/dev/null || skip "no network, UTS and mount namespaces here"
    exec unshare --net --uts --mount --propagation private "$BASH" "$0" --inside "$@"
fi
shift
dir=$1
fixture_prefix=$2

ip link set lo up || skip "cannot bring loopback up"
ip link add veth0 type veth peer name veth1 2>/dev/null || skip "no veth interfaces here"

# Nothing outside the namespace is asked: the own name is not in the hosts
# file, and no name server is configured.
work=$dir/namespace
rm -rf "$work"
mkdir -p "$work"
printf '127.0.0.1 localhost\n' >"$work/hosts"
: >"$work/resolv.conf"
mount --bind "$work/hosts" /etc/hosts || skip "cannot give the namespace its own /etc/hosts"
mount --bind "$work/resolv.conf" /etc/resolv.conf || skip "cannot give the namespace its own resolv.conf"
hostname tcs-audit-pc

# A wineserver is one per prefix, and Wine's network services must run in
# this namespace: a prefix of our own (its registry copied, drive C shared
# with the fixture's prefix) with a server started here.
export WINEPREFIX=$work/prefix WINEARCH=win32 WINEDEBUG=-all WINEDLLOVERRIDES="mscoree,mshtml="
unset DISPLAY
mkdir -p "$WINEPREFIX/dosdevices"
cp "$fixture_prefix"/*.reg "$fixture_prefix/.update-timestamp" "$WINEPREFIX/" || { echo "no prefix at $fixture_prefix" >&2; exit 1; }
ln -s "$fixture_prefix/drive_c" "$WINEPREFIX/dosdevices/c:"
ln -s / "$WINEPREFIX/dosdevices/z:"
trap 'wineserver -k >/dev/null 2>&1; wineserver -w; rm -rf "$work"' EXIT
# Not forever: a run killed before its trap leaves nothing for long.
wineserver -p10 </dev/null >/dev/null 2>&1

# The library's host directory and store: nothing configured, nothing stored.
rm -rf "$dir/envstore" "$dir/NetbarCfg.ini"
export TAVIX_ENVIRONMENT_DIR="Z:$dir/envstore"

failures=0
check() {  # what, got, expected
    if [ "$2" == "$3" ]; then
        echo "ok    $1"
    else
        echo "FAIL  $1"
        echo "      expected: $(printf '%q' "$3")"
        echo "      got:      $(printf '%q' "$2")"
        failures=$((failures + 1))
    fi
}
# Output through a file: Wine's services, started by the first program,
# would hold a pipe open.
run() {
    wine "$dir/$1" "${@:2}" </dev/null >"$work/out" 2>&1
    tr -d '\r' <"$work/out"
}
addresses() { run tcs_host_addresses.exe; }
# One probe call: "result<TAB>buffer hex" (buffers filled with cc first).
probe() { run tcs_probe.exe "$1" | sed -n 's/^= //p' | cut -f1,3; }

hex() { printf '%s' "$1" | od -An -tx1 | tr -d ' \n'; }
cc() { printf 'cc%.0s' $(seq "$1"); }
T=$'\t'
addr=192.168.1.5
addr_hex=$(hex $addr)00

echo "# a veth pair: 192.168.1.5 (metric 10) and 10.0.0.2 (metric 20)"
ip addr add 192.168.1.5/24 dev veth0 metric 10
ip addr add 10.0.0.2/24 dev veth1 metric 20
ip link set veth0 up
ip link set veth1 up
check "the own name gives exactly the pair's addresses" "$(addresses)" \
    "name tcs-audit-pc"$'\n'"addr 192.168.1.5"$'\n'"addr 10.0.0.2"
check "GetLocalAddr, 16 bytes: the first address" "$(probe 'GetLocalAddr|16')" "0$T$addr_hex$(cc 4)"
check "GetLocalAddr, 12 bytes: the text just fits" "$(probe 'GetLocalAddr|12')" "0$T$addr_hex"
check "GetLocalAddr, 11 bytes: nothing written" "$(probe 'GetLocalAddr|11')" "0$T$(cc 11)"
check "GetLocalAddr, 8 bytes: nothing written" "$(probe 'GetLocalAddr|8')" "0$T$(cc 8)"
check "GetCommuAddrStr, nothing configured or stored" "$(probe 'GetCommuAddrStr|20')" "-1$T$addr_hex$(cc 8)"
check "GetCommuAddrStr, 8 bytes: only the file read's empty text" "$(probe 'GetCommuAddrStr|8')" "-1${T}00$(cc 7)"
# 192, 168, 1, 5 from the lowest-addressed byte up.
check "GetCommuAddr" "$(probe GetCommuAddr)" "$((0x0501a8c0))$T"

echo "# before them: an interface with a route and no address (0.0.0.0), 127.0.0.1 and 0.1.2.3"
# Wine puts 127.12.34.56 in place of a first address of 127.x.x.x, so the
# loopback address goes second.
ip link add veth2 type veth peer name veth3
ip link add veth4 type veth peer name veth5
ip link set veth2 up
ip link set veth3 up
ip link set veth4 up
ip route add 172.16.0.0/16 dev veth2 metric 1
ip addr add 127.0.0.1/32 dev veth4
ip route add 172.17.0.0/16 dev veth4 metric 2
ip addr add 0.1.2.3/24 dev veth3 metric 3
check "the own name gives the excluded ones first" "$(addresses)" \
    "name tcs-audit-pc"$'\n'"addr 0.0.0.0"$'\n'"addr 127.0.0.1"$'\n'"addr 0.1.2.3"$'\n'"addr 192.168.1.5"$'\n'"addr 10.0.0.2"
check "GetLocalAddr passes over them" "$(probe 'GetLocalAddr|16')" "0$T$addr_hex$(cc 4)"

echo "# loopback alone"
ip link del veth0
ip link del veth2
ip link del veth4
check "the own name is not found" "$(addresses | sed 's/ [0-9]*$//')" "name tcs-audit-pc"$'\n'"lookup failed"
check "GetLocalAddr: -2, nothing written" "$(probe 'GetLocalAddr|16')" "-2$T$(cc 16)"
check "GetCommuAddrStr: -1 with the file read's empty text" "$(probe 'GetCommuAddrStr|20')" "-1${T}00$(cc 19)"
check "GetCommuAddr: no address" "$(probe GetCommuAddr)" "-1$T"

echo "# loopback alone, the host named localhost"
hostname localhost
check "the own name gives 127.0.0.1 alone" "$(addresses)" "name localhost"$'\n'"addr 127.0.0.1"
check "GetLocalAddr: 0, nothing written" "$(probe 'GetLocalAddr|16')" "0$T$(cc 16)"

[ $failures -eq 0 ] || { echo "$failures failed"; exit 1; }
echo "all passed"
