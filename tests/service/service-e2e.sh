#!/usr/bin/env bash
# kivo.exe as administrators meet it, under Wine's service control manager, in
# a fresh Wine prefix of its own: the command line's exact output, install,
# start, user control codes, stop, removal, and a start from a console.
#   service-e2e.sh KIVO_EXE PROBE_EXE PREFIX
set -euo pipefail
kivo=${1:?kivo.exe}
probe=${2:?service-probe.exe}
prefix=${3:?Wine prefix}
here=$(cd "$(dirname "${BASH_SOURCE[0]}")/../.." && pwd)

export WINEPREFIX=$prefix WINEDEBUG=-all WINEDLLOVERRIDES="mscoree,mshtml="
# A run that was killed may have left its Wine session behind.
[ ! -d "$prefix" ] || wineserver -k 2>/dev/null || true
rm -rf "$prefix"
"$here/scripts/wine-prefix" "$prefix"
work=$(mktemp -d)
# One Wine session for the whole run, so that every step times the program
# and not Wine's start-up; it ends by itself 30 s after its last process.
wineserver -p30
cleanup() {
  wine net stop kivo >/dev/null 2>&1 || true
  wineserver -k 2>/dev/null || true
  rm -rf "$work"
}
trap cleanup EXIT
trap 'echo "FAIL: stopped at line $LINENO: $BASH_COMMAND"' ERR

failures=0
fail() {
  echo "FAIL: $*"
  failures=$((failures + 1))
}

# Runs kivo.exe with the arguments and compares its standard output byte for
# byte with the expected text (given with \n; the program prints CR LF).
expect_output() {
  local expected=$1
  shift
  printf '%s\n' "$expected" | sed 's/$/\r/' >"$work/expected"
  local code=0
  wine "$kivo" "$@" >"$work/out" 2>"$work/err" || code=$?
  if ! cmp -s "$work/expected" "$work/out"; then
    fail "kivo $* printed:"
    od -c "$work/out" | sed 's/^/    /'
  else
    echo "ok: kivo $* -> $(tr -d '\r' <"$work/out" | tr '\n' '|')"
  fi
  [ "$code" -eq 0 ] || fail "kivo $* ended with $code"
}

service_state() {
  { wine sc query kivo 2>/dev/null || true; } | tr -d '\r' | sed -n 's/^ *STATE *: *[0-9]* *\([A-Z_]*\).*/\1/p'
}

# Waits up to 10 s for the service to reach the state; false if it does not.
wait_for_state() {
  local i
  for i in $(seq 100); do
    [ "$(service_state)" = "$1" ] && return 0
    sleep 0.1
  done
  return 1
}

registry_value() {  # KEY VALUE -> "TYPE DATA", or nothing when it is missing
  { wine reg query "$1" /v "$2" 2>/dev/null || true; } | tr -d '\r' |
    sed -n "s/^ *$2 *\(REG_[A-Z_]*\) *\(.*\)$/\1 \2/p"
}

seconds() { date +%s%3N; }
elapsed() {  # milliseconds since $1, as seconds
  local ms=$(($(seconds) - $1))
  printf '%d.%03d' $((ms / 1000)) $((ms % 1000))
}

kivo_win=$(winepath -w "$kivo" 2>/dev/null)
services='HKLM\SYSTEM\CurrentControlSet\Services'
source_key="$services\\EventLog\\Application\\kivo"

expect_output $'kivo, version 3.9\nThe service has not been installed.' -v
expect_output $'kivo successfully installed.' -i
expect_output $'kivo has already been installed.' -I
expect_output $'kivo, version 3.9\nThe service has been installed.' -v

value=$(registry_value "$services\\kivo" ImagePath)
[ "$value" = "REG_SZ \"$kivo_win\"" ] || fail "ImagePath is <$value>"
value=$(registry_value "$services\\kivo" Start)
[ "$value" = "REG_DWORD 0x2" ] || fail "start type is <$value>"
value=$(registry_value "$source_key" EventMessageFile)
[ "$value" = "REG_EXPAND_SZ $kivo_win" ] || fail "EventMessageFile is <$value>"
value=$(registry_value "$source_key" TypesSupported)
[ "$value" = "REG_DWORD 0x7" ] || fail "TypesSupported is <$value>"

# The message table in kivo.exe: language 1033, every text ended by CR LF.
while IFS='|' read -r id text; do
  printf '%s\r\n' "$text" >"$work/expected"
  wine "$probe" message "$kivo_win" "$id" kivo >"$work/out" 2>/dev/null || true
  cmp -s "$work/expected" "$work/out" || { fail "message $id:"; od -c "$work/out"; }
done <<'TEXTS'
100|The kivo service was installed.
101|The kivo service was removed.
102|The kivo service could not be removed.
103|The control handler could not be installed.
104|The initialization process failed.
105|The service was started.
106|The service received an unsupported request.
108|The service was stopped.
TEXTS
echo "ok: message table checked"

# The idle counter starts from "Start"; user control 128 saves it.
wine reg add "$services\\kivo\\Parameters" /v Start /t REG_DWORD /d 41 /f >/dev/null
wine reg add "$services\\kivo\\Parameters" /v Inc /t REG_DWORD /d 0 /f >/dev/null

start=$(seconds)
wine net start kivo >"$work/out" 2>&1 || fail "net start: $(cat "$work/out")"
echo "ok: net start returned after $(elapsed "$start") s"
wait_for_state RUNNING || fail "state after start is $(service_state)"
echo "ok: running after $(elapsed "$start") s"

wine "$probe" control kivo 128 >"$work/out" 2>&1 || fail "control 128: $(cat "$work/out")"
echo "ok: control 128 answered $(tr -d '\r' <"$work/out")"
value=$(registry_value "$services\\kivo\\Status" Current)
[ "$value" = "REG_DWORD 0x29" ] || fail "Current after control 128 is <$value>"
echo "ok: control 128 wrote Current $value"

wine "$probe" control kivo 129 >"$work/out" 2>&1 || fail "control 129: $(cat "$work/out")"
tr -d '\r' <"$work/out" | grep -qx 'state 4' || fail "control 129 answered $(cat "$work/out")"
[ "$(service_state)" = RUNNING ] || fail "state after control 129 is $(service_state)"
echo "ok: control 129 answered, still running"

# Wine's net stop returns once the stop is sent; the service then stays stop
# pending until its work notices the stop.
start=$(seconds)
wine net stop kivo >"$work/out" 2>&1 || fail "net stop: $(cat "$work/out")"
echo "ok: net stop returned after $(elapsed "$start") s"
wait_for_state STOPPED || fail "state after stop is $(service_state)"
echo "ok: stopped after $(elapsed "$start") s"

expect_output $'kivo successfully uninstalled.' -u
expect_output $'kivo has not been installed' -U
expect_output $'kivo, version 3.9\nThe service has not been installed.' -v
value=$(registry_value "$source_key" EventMessageFile)
[ "$value" = "REG_EXPAND_SZ $kivo_win" ] || fail "event source key gone after -u: <$value>"

# From a console, without arguments: the dispatcher refuses a process the
# manager did not start, and the program ends with code 0, printing nothing.
# (Wine's dispatcher first tries the control pipe of the service started
# last; while that service runs it waits 10 s for the pipe before refusing.
# Here the service started last is kivo, stopped, so it refuses at once.)
start=$(seconds)
code=0
wine "$kivo" >"$work/out" 2>&1 || code=$?
took=$(elapsed "$start")
[ "$code" -eq 0 ] || fail "kivo without arguments ended with $code"
[ $(($(seconds) - start)) -lt 5000 ] || fail "kivo without arguments took $took s"
[ ! -s "$work/out" ] || fail "kivo without arguments printed: $(cat "$work/out")"
echo "ok: kivo without arguments ended with 0, no output, after $took s"

if [ "$failures" -ne 0 ]; then
  echo "$failures check(s) failed"
  exit 1
fi
echo "all checks passed"
