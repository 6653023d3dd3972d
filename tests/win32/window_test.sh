#!/usr/bin/env bash
# The program's window on a Windows system, used as a person uses it: a fresh Wine prefix gets
# the program and the demo infection (plant_infection.sh), and the window driver
# (window_driver.cpp), on a virtual desktop of its own, starts the program and works its
# window with the mouse and the keyboard: Tab, Shift+Tab and Enter move through the controls,
# the start page's command scans, the list shows every trace ticked, a click on one row's
# check box keeps that item, the remove command asks for the others and removes them, and a
# second start with "-t" makes the first window scan again. Then the system must have lost
# the removed traces and kept the unticked one.
#   tests/win32/window_test.sh BUILD_WINDOWS DRIVER
set -euo pipefail
# A display of its own: the mouse and the keyboard it works are that display's, which no other
# test running meanwhile moves.
if [ -z "${VEXMARL_WINDOW_TEST_DISPLAY:-}" ]; then
  VEXMARL_WINDOW_TEST_DISPLAY=1 exec xvfb-run -a -s "-screen 0 800x600x24" bash "$0" "$@"
fi
build=$(realpath "$1")
driver=$(realpath "$2")
dialer=""
stop_own_processes() {
  [ -z "$dialer" ] || kill "$dialer" 2>/dev/null || true
}
test_name="window test"
. "$(dirname "$0")/test_prefix.sh"
. "$top/tests/win32/plant_infection.sh"
key_exists() { wine reg query "$1" </dev/null >/dev/null 2>&1; }

install_program "$build"
# No update check in the background: its message (no server here) would stop the person.
import_registry $'REGEDIT4\r\n\r\n[HKEY_LOCAL_MACHINE\\SOFTWARE\\Vexmarl]\r\n"Corvane"=dword:00000000\r\n'
plant_infection "$build"
start_dialer || fail "the dialer does not run"

log="$work/window.log"
wine explorer /desktop=vexmarl-test,800x600 "$(winepath -w "$driver")" test \
  "$program\\Vexmarl.exe" "$(winepath -w "$log")" </dev/null >/dev/null 2>&1 &
for _ in $(seq 600); do
  grep -q '^result: ' "$log" 2>/dev/null && break
  sleep 0.5
done
grep -q '^result: 0' "$log" 2>/dev/null || fail "$(cat "$log" 2>/dev/null || echo 'the driver wrote nothing')"

# What the window removed is gone from the system; what was unticked is there.
for path in 'C:\glimmerbar.ini' "$windows\\qfk32.dll" "$profile\\Local Settings\\qfk\\keys.dat" \
  "$temp\\pwdial.exe"; do
  [ ! -e "$(unix "$path")" ] || fail "$path is still there"
done
! key_exists 'HKLM\SOFTWARE\Glimmerbar' || fail "HKLM\\SOFTWARE\\Glimmerbar is still there"
key_exists 'HKCU\Software\Quillfeather' || fail "the unticked HKCU\\Software\\Quillfeather was removed"
sed 's/^/  /' "$log"
echo "window test: the window was worked with the keyboard and the mouse, scanned, removed what was ticked and kept what was not"
