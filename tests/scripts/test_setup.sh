#!/usr/bin/env bash
# scripts/setup against stand-ins for id, dpkg-query, apt-get and sudo that log
# their calls: it installs only what is missing, as root directly, as another
# user through sudo, and without sudo it says what to do and installs nothing.
# Usage: test_setup.sh PATH_TO_SETUP
set -euo pipefail
setup=$1
tmp=$(mktemp -d)
trap 'rm -rf "$tmp"' EXIT
stubs="$tmp/bin"
log="$tmp/log"
mkdir "$stubs"
for tool in bash env grep cat; do
    ln -s "$(command -v "$tool")" "$stubs/$tool"
done
cat >"$stubs/id" <<'STUB'
#!/bin/bash
echo "$STUB_UID"
STUB
# Reports every package as installed except those in STUB_MISSING.
cat >"$stubs/dpkg-query" <<'STUB'
#!/bin/bash
for missing in $STUB_MISSING; do [ "$missing" = "${@: -1}" ] && exit 1; done
printf 'install ok installed'
STUB
cat >"$stubs/apt-get" <<'STUB'
#!/bin/bash
echo "apt-get $* (as ${AS:-the caller}, DEBIAN_FRONTEND=$DEBIAN_FRONTEND)" >>"$STUB_LOG"
STUB
cat >"$stubs/sudo" <<'STUB'
#!/bin/bash
echo "sudo $1" >>"$STUB_LOG"
AS=root exec "$@"
STUB
# Only the stand-ins: chmod follows the links to the real tools.
chmod +x "$stubs"/{id,dpkg-query,apt-get,sudo}

failures=0
# check NAME UID MISSING WITH_SUDO EXPECTED_STATUS EXPECTED_LOG
check() {
    local status=0 path="$stubs"
    : >"$log"
    if [ "$4" = no ]; then
        path="$tmp/nosudo"
        mkdir -p "$path"
        for tool in "$stubs"/*; do [ "${tool##*/}" = sudo ] || ln -sf "$tool" "$path/"; done
    fi
    PATH="$path" STUB_UID=$2 STUB_MISSING=$3 STUB_LOG="$log" bash "$setup" 2>"$tmp/stderr" || status=$?
    if [ "$status" != "$5" ] || [ "$(cat "$log")" != "$6" ]; then
        echo "FAIL: $1: status $status (expected $5), calls:" >&2
        cat "$log" >&2
        echo "expected:" >&2
        echo "$6" >&2
        cat "$tmp/stderr" >&2
        failures=$((failures + 1))
    fi
}

frontend="DEBIAN_FRONTEND=noninteractive"
check "root, nothing missing" 0 "" yes 0 ""
check "user, nothing missing: sudo is not asked" 1000 "" yes 0 ""
check "root, two missing" 0 "cmake xvfb" yes 0 \
"apt-get update -qq (as the caller, $frontend)
apt-get install -y -qq --no-install-recommends cmake xvfb (as the caller, $frontend)"
check "user with sudo, one missing" 1000 "xdotool" yes 0 \
"sudo env
apt-get update -qq (as root, $frontend)
sudo env
apt-get install -y -qq --no-install-recommends xdotool (as root, $frontend)"
check "user without sudo, one missing" 1000 "xdotool" no 1 ""
grep -q "sudo" "$tmp/stderr" || { echo "FAIL: without sudo, the message does not say what to do" >&2; failures=$((failures + 1)); }
[ $failures -eq 0 ] || exit 1
echo "scripts/setup: all cases passed"
