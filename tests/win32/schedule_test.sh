#!/usr/bin/env bash
# The scheduled scan on a Windows system: in a fresh Wine prefix with the program folder of
# the Windows build installed, "vexmarl-cli.exe schedule" makes the task in the system's task
# scheduler and prints its times as the program reads them back from the task's file in the
# Tasks folder; the file names the program and its switch; run again, the command finds the
# task and replaces its times.
#   tests/win32/schedule_test.sh BUILD_WINDOWS    (needs a display for Wine: run under xvfb-run)
set -euo pipefail
build=$(realpath "$1")
test_name="schedule test"
. "$(dirname "$0")/test_prefix.sh"
unix() { winepath -u "$1" 2>/dev/null; }
program='C:\Program Files\Vexmarl'
mkdir -p "$(unix "$program")"
cp -r "$build/program/." "$(unix "$program")/"
windows=$(wine cmd /c 'echo %windir%' </dev/null 2>/dev/null | tr -d '\r')
tasks=$(unix "$windows\\Tasks")
job="$tasks/Vexmarl.job"

# Runs the schedule command with the times given; what it printed in $out.
schedule() {
  local status=0
  wine "$program\\vexmarl-cli.exe" schedule "$@" </dev/null >"$work/out" 2>"$work/errors" ||
    status=$?
  out=$(tr -d '\r' <"$work/out")
  [ "$status" -eq 0 ] || fail "schedule $* ended with $status: $out $(cat "$work/errors")"
}
# Whether the task file holds the text as task files keep their texts: a count of UTF-16
# units with the ending zero, the units, the zero.
holds() {
  local text
  text=$(printf '%02x00' $((${#1} + 1)))$(printf '%s' "$1" | iconv -t UTF-16LE | xxd -p)0000
  xxd -p "$job" | tr -d '\n' | grep -qF "${text//$'\n'/}"
}
from='( from [0-9]{4}-[0-9]{2}-[0-9]{2})?'

schedule --daily 10:00
[[ $out =~ ^Vexmarl:\ daily\ 10:00$from$ ]] || fail "the first schedule says: $out"
[ -s "$job" ] || fail "no task file in $windows\\Tasks: $(ls "$tasks")"
holds "$program\\Vexmarl.exe" || fail "the task file does not name the program"
holds "-t" || fail "the task file does not give the program -t"

schedule --weekly Mon,Fri 18:00
[[ $out =~ ^Vexmarl:\ weekly\ Mon,Fri\ 18:00$from$ ]] || fail "the second schedule says: $out"
[ "$(ls "$tasks")" = Vexmarl.job ] || fail "the Tasks folder holds: $(ls "$tasks")"
echo "schedule test: the scheduled scan's task was made and its times replaced"
