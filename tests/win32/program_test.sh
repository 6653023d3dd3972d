#!/usr/bin/env bash
# The Windows program on a Windows system: a fresh Wine prefix gets the program folder of the
# Windows build and the demo infection, planted with the system's own tools (its regedit.exe,
# its files and hosts file, a running stand-in of the dialer). vexmarl-cli.exe must list every
# trace, remove them all (ending the dialer, keeping them in a quarantine archive, logging the
# run) and bring them back from the archive; the session log names the system the prefix says
# it is, Windows 98, 2000 or XP; and with the process status library disabled, as on 9x, the
# removal ends the dialer through tool help.
#   tests/win32/program_test.sh BUILD_WINDOWS    (needs a display for Wine: run under xvfb-run)
set -euo pipefail
build=$(realpath "$1")
dialer=""
stop_own_processes() {
  [ -z "$dialer" ] || kill "$dialer" 2>/dev/null || true
}
test_name="program test"
. "$(dirname "$0")/test_prefix.sh"
# The program, the demo infection and the helpers unix, variable and import_registry.
. "$top/tests/win32/plant_infection.sh"
# A registry value's data as reg.exe shows it, or nothing when it is missing.
value() {
  wine reg query "$1" /v "$2" </dev/null 2>/dev/null | tr -d '\r' |
    awk -v name="$2" '$1 == name { sub(/^ *[^ ]+ +[^ ]+ */, ""); print }'
}
key_exists() { wine reg query "$1" </dev/null >/dev/null 2>&1; }
# Runs vexmarl-cli.exe; its output in $work/out, its errors in $work/errors, its status in
# $status.
cli() {
  status=0
  wine "$program\\vexmarl-cli.exe" "$@" </dev/null >"$work/out" 2>"$work/errors" || status=$?
  tr -d '\r' <"$work/out" >"$work/out.lf"
  mv "$work/out.lf" "$work/out"
}
session_log() {
  local path
  path=$(sed -n 's/^Session log: //p' "$work/errors" | tr -d '\r')
  [ -n "$path" ] || fail "no session log named: $(cat "$work/errors")"
  unix "$path"
}

# The program, installed as an installer would, and the demo infection.
install_program "$build"
plant_infection "$build"
start_dialer || fail "the dialer does not run"

# What the scan lists: every trace, and the running dialer by the digest of its program.
listed() {
  sort <<EOF
1	File	Glimmerbar Toolbar	C:\\glimmerbar.ini
1	File	Glimmerbar Toolbar	C:\\Program Files\\glimmerbar\\glimmer.exe
1	File	Glimmerbar Toolbar	C:\\Program Files\\glimmerbar\\skins\\blue.skin
1	File	Glimmerbar Toolbar	$windows\\system32\\glmhook.dll
1	File	Pennywhistle Dialer	$temp\\pwdial.exe
1	File	Pennywhistle Dialer	$windows\\system32\\pwdialhk.dll
1	File	Quillfeather Keylogger	$windows\\qfk32.dll
1	File	Quillfeather Keylogger	$profile\\local settings\\qfk\\keys.dat
2	Folder	Glimmerbar Toolbar	C:\\Program Files\\glimmerbar
2	Folder	Glimmerbar Toolbar	C:\\Program Files\\glimmerbar\\skins
2	Folder	Quillfeather Keylogger	$profile\\local settings\\qfk
3	RegistryKey	Glimmerbar Toolbar	software\\glimmerbar
3	RegistryKey	Quillfeather Keylogger	software\\quillfeather
4	RegistryValue	Glimmerbar Toolbar	Software\\Microsoft\\Windows\\Currentversion\\Run\\glimmerbar:@:C:\\Program Files\\glimmerbar\\glimmer.exe
4	RegistryValue	Pennywhistle Dialer	Software\\Microsoft\\Windows\\Currentversion\\Run\\pwdial
6	HostsEntry	Pennywhistle Dialer	www.vexmarl.example
7	ChangedRegistryValue	Glimmerbar Toolbar	Software\\Microsoft\\Internet Explorer\\main\\start page\\http://start.glimmerbar.example/:@:http://start.glimmerbar.example/
7	ChangedRegistryValue	Pennywhistle Dialer	Software\\Microsoft\\Internet Explorer\\main\\search page\\http://search.pennywhistle.example/find?q=:@:http://search.pennywhistle.example/find?q=
EOF
}
dialer_digest=$(md5sum <"$build/data/demo-spyware.exe" | cut -d' ' -f1)
scan_lists_everything() {
  cli scan
  [ "$status" -eq 1 ] || fail "$1: scan ended with $status: $(cat "$work/errors")"
  diff <(listed) <(sort "$work/out") >&2 || fail "$1: the scan does not list the infection"
  grep -qF "<PROCESS NAME = \"$temp\\pwdial.exe\" MD5 = \"$dialer_digest\"/>" "$(session_log)" ||
    fail "$1: the running dialer is not logged by its digest"
}
scan_lists_everything "Windows XP"
grep -qF '<Information OS = "Windows XP"/>' "$(session_log)" || fail "the log does not name XP"

# The same scan as JSON objects, one a line: every listed item, a file with its size and
# digest, and the summary last. --version names the system.
cli scan --json
[ "$status" -eq 1 ] || fail "the JSON scan ended with $status: $(cat "$work/errors")"
[ "$(grep -c '^{"type":"item","kind":' "$work/out")" -eq 18 ] || fail "JSON items: $(cat "$work/out")"
glimmer_ini="\"location\":\"C:\\\\glimmerbar.ini\",\"size\":9,\"md5\":\"$(printf '[glimmer]' | md5sum | cut -d' ' -f1)\"}"
grep -qF "$glimmer_ini" "$work/out" || fail "no size and digest of C:\glimmerbar.ini: $(cat "$work/out")"
tail -1 "$work/out" | grep -q '^{"type":"summary","finished":true,.*"listed":18,' ||
  fail "no JSON summary last: $(tail -1 "$work/out")"
cli --version
[ "$status" -eq 0 ] && [ "$(head -1 "$work/out")" = "Vexmarl 4.23" ] &&
  grep -q '^System Windows XP 5\.1\.2600' "$work/out" || fail "--version: $(cat "$work/out")"


# The system's identity, as each version of Windows gives it.
for version in win98:"Windows 98 SE" win2k:"Windows 2000" winxp:"Windows XP"; do
  wine reg add 'HKCU\Software\Wine' /v Version /d "${version%%:*}" /f </dev/null >/dev/null 2>&1
  cli scan
  grep -qF "<Information OS = \"${version#*:}\"/>" "$(session_log)" ||
    fail "under ${version%%:*} the log does not name ${version#*:}: $(grep 'OS = ' "$(session_log)")"
done

# Removal: the dialer is ended, everything goes, an archive keeps it, the log tells it.
cli scan --remove --yes
[ "$status" -eq 0 ] || fail "the removal ended with $status: $(cat "$work/errors")"
[ "$(grep -c '^removed	' "$work/out")" -eq 18 ] || fail "not every item was removed: $(cat "$work/out")"
for _ in $(seq 50); do kill -0 "$dialer" 2>/dev/null || break; sleep 0.1; done
! kill -0 "$dialer" 2>/dev/null || fail "the dialer still runs"
dialer=""
for path in "${!planted[@]}" "$temp\\pwdial.exe" 'C:\Program Files\Glimmerbar'; do
  [ ! -e "$(unix "$path")" ] || fail "$path is still there"
done
! key_exists 'HKLM\SOFTWARE\Glimmerbar' || fail "HKLM\\SOFTWARE\\Glimmerbar is still there"
! key_exists 'HKCU\Software\Quillfeather' || fail "HKCU\\Software\\Quillfeather is still there"
[ -z "$(value 'HKCU\Software\Microsoft\Windows\CurrentVersion\Run' pwdial)" ] ||
  fail "the dialer's Run value is still there"
# A loopback line stays: it keeps the name away, as spyware's own lines do not.
grep -q 'www.vexmarl.example' "$hosts" && fail "the hosts line is still there"
grep -q '^127.0.0.1 update.vexmarl.example' "$hosts" || fail "the loopback line is gone"
grep -q 'Successfully ReMoved' "$(session_log)" || fail "the log tells no removal"
archive=$(sed -n 's/^Quarantine archive: //p' "$work/errors" | tr -d '\r')
[ -s "$(unix "$archive")" ] || fail "no quarantine archive: $(cat "$work/errors")"

# Restore: the files come back whole, the registry data through the system's regedit.exe.
cli quarantine list
name=$(cut -f1 "$work/out")
[ "$name" = "$(basename "${archive//\\//}" .vmq)" ] || fail "the quarantine lists $(cat "$work/out")"
cli quarantine restore "$name"
[ "$status" -eq 0 ] || fail "the restore ended with $status: $(cat "$work/errors")"
for path in "${!planted[@]}"; do
  [ "$(cat "$(unix "$path")" 2>/dev/null)" = "${planted[$path]}" ] || fail "$path is not back"
done
cmp -s "$build/data/demo-spyware.exe" "$(unix "$temp")/pwdial.exe" || fail "the dialer is not back"
[ "$(value 'HKLM\SOFTWARE\Glimmerbar' Version)" = 2.1 ] || fail "HKLM\\SOFTWARE\\Glimmerbar is not back"
[ "$(value 'HKCU\Software\Quillfeather' Log)" = on ] || fail "HKCU\\Software\\Quillfeather is not back"
[ "$(value 'HKLM\Software\Microsoft\Windows\CurrentVersion\Run' Glimmerbar)" = \
  'C:\Program Files\Glimmerbar\glimmer.exe' ] || fail "the toolbar's Run value is not back"
[ "$(value 'HKCU\Software\Microsoft\Windows\CurrentVersion\Run' pwdial)" = "$temp\\pwdial.exe" ] ||
  fail "the dialer's Run value is not back"

# Without the process status library, as on 9x, the removal ends the dialer through tool help.
start_dialer || fail "the dialer does not run"
WINEDLLOVERRIDES="$WINEDLLOVERRIDES;psapi=d" cli scan --remove --yes
[ "$status" -eq 0 ] || fail "the removal through tool help ended with $status: $(cat "$work/errors")"
for _ in $(seq 50); do kill -0 "$dialer" 2>/dev/null || break; sleep 0.1; done
! kill -0 "$dialer" 2>/dev/null || fail "tool help did not end the dialer"
dialer=""
[ ! -e "$(unix "$temp")/pwdial.exe" ] || fail "the dialer's program is still there"
echo "program test: the demo infection was listed, removed and restored on Windows XP, 2000 and 98"
