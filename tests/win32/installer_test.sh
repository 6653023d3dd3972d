#!/usr/bin/env bash
# The setup program on a Windows system, used as administrators use it: in a fresh Wine prefix,
# VexmarlSetup.exe installs silently into the folder it is given (/S /D=...), with the Start
# menu entries, the entry in the list of installed programs and the settings' defaults; the
# program scans and cleans the demo infection from there, which leaves a quarantine archive and
# a session log; the setup program refuses to run while the program does; an upgrade keeps the
# archive, the log, the ignore list and the settings; and a silent uninstall removes the
# program, its start-up entry and its scheduled task, keeps the quarantine and the logs, and
# leaves the list of installed programs without it.
#   tests/win32/installer_test.sh BUILD_WINDOWS SETUP    (needs a display for Wine: run under
#                                                         xvfb-run)
set -euo pipefail
build=$(realpath "$1")
setup=$(realpath "$2")
running=""
stop_own_processes() {
  [ -z "$running" ] || kill "$running" 2>/dev/null || true
}
test_name="installer test"
. "$(dirname "$0")/test_prefix.sh"
# The demo infection and the helpers unix, variable and import_registry.
. "$top/tests/win32/plant_infection.sh"
# Not the folder the setup program offers: the one it is told.
program='C:\Programs\Vexmarl'
folder=$WINEPREFIX/drive_c/Programs/Vexmarl
version=$(sed -n 's/.*ProgramVersion = "\([0-9.]*\)".*/\1/p' "$top/src/app/program_folder.h")
publisher=$(sed -n 's:.*<COMPANYNAME>\(.*\)</COMPANYNAME>.*:\1:p' "$top/data/settings.xml")
uninstall_key='HKLM\Software\Microsoft\Windows\CurrentVersion\Uninstall\Vexmarl'
settings_key='HKLM\SOFTWARE\Vexmarl'
run_key='HKLM\Software\Microsoft\Windows\CurrentVersion\Run'
# A registry value's data as reg.exe shows it, or nothing when it is missing.
value() {
  wine reg query "$1" /v "$2" </dev/null 2>/dev/null | tr -d '\r' |
    awk -v name="$2" '$1 == name { sub(/^ *[^ ]+ +[^ ]+ */, ""); print }'
}
key_exists() { wine reg query "$1" </dev/null >/dev/null 2>&1; }
# The system's list of installed programs, one name a line.
installed_programs() { wine uninstaller --list </dev/null 2>/dev/null | tr -d '\r' | sed 's/^.*|||//'; }
# Runs the setup program with the arguments; its status in $status.
run_setup() {
  status=0
  wine 'C:\VexmarlSetup.exe' "$@" </dev/null >/dev/null 2>&1 || status=$?
}
# Runs the installed vexmarl-cli.exe; its output in $work/out, its errors in $work/errors, its
# status in $status.
cli() {
  status=0
  wine "$program\\vexmarl-cli.exe" "$@" </dev/null >"$work/out" 2>"$work/errors" || status=$?
  tr -d '\r' <"$work/out" >"$work/out.lf"
  mv "$work/out.lf" "$work/out"
}
# What the program folder's user data holds, with each file's digest.
user_data() { (cd "$folder" && find Quarantine Logs Ignorelist.txt -type f -print0 | sort -z | xargs -0 md5sum); }
shipped=(Vexmarl.exe vexmarl-cli.exe Corvane.dll resources.dll settings.xml database.db)
cp "$setup" "$(unix 'C:\VexmarlSetup.exe')"

# A silent install into the folder given.
run_setup /S "/D=$program"
[ "$status" -eq 0 ] || fail "the install ended with $status"
for name in "${shipped[@]}"; do
  cmp -s "$build/program/$name" "$folder/$name" || fail "$name was not installed"
done
diff <(cd "$build/program/images" && ls) <(cd "$folder/images" && ls) >&2 ||
  fail "the images were not installed"
[ -f "$folder/Uninstall.exe" ] || fail "no uninstaller"
[ "$(value "$uninstall_key" DisplayName)" = Vexmarl ] || fail "no entry in the list of programs"
[ "$(value "$uninstall_key" DisplayVersion)" = "$version" ] ||
  fail "the entry gives the version $(value "$uninstall_key" DisplayVersion), not $version"
[ "$(value "$uninstall_key" Publisher)" = "$publisher" ] ||
  fail "the entry gives the publisher $(value "$uninstall_key" Publisher), not $publisher"
[ "$(value "$uninstall_key" UninstallString)" = "\"$program\\Uninstall.exe\"" ] ||
  fail "the entry's uninstall command is $(value "$uninstall_key" UninstallString)"
[ "$(value "$uninstall_key" QuietUninstallString)" = "\"$program\\Uninstall.exe\" /S" ] ||
  fail "the entry's quiet uninstall command is $(value "$uninstall_key" QuietUninstallString)"
installed_programs | grep -qx Vexmarl || fail "the system does not list the program: $(installed_programs)"
for name in AutoProgramUpdate AutoDatabaseUpdate Corvane Cust_Scan_Registry Cust_Scan_Drives \
  ScanHostFiles; do
  [ "$(value "$settings_key" "$name")" = 0x1 ] || fail "the setting $name is not 1 by default"
done
for name in WindowsStartUp ScanMode AutomaticRemoval Cust_Scan_Drives_Num TotalScans; do
  [ "$(value "$settings_key" "$name")" = 0x0 ] || fail "the setting $name is not 0 by default"
done
menu=$(find "$WINEPREFIX/drive_c" -type d -path '*/Start Menu/Programs/Vexmarl')
[ -n "$menu" ] || fail "no Start menu folder"
[ "$(cd "$menu" && LC_ALL=C ls)" = $'Uninstall Vexmarl.lnk\nVexmarl Command Prompt.lnk\nVexmarl.lnk' ] ||
  fail "the Start menu folder holds: $(ls "$menu")"
grep -aqF "$program\\Vexmarl.exe" "$menu/Vexmarl.lnk" || fail "the program's shortcut leads elsewhere"

# The installed program cleans the demo infection: a quarantine archive and a log.
plant_infection "$build"
cli scan --remove --yes
[ "$status" -eq 0 ] || fail "the removal ended with $status: $(cat "$work/out" "$work/errors")"
grep -q '^removed	.*Glimmerbar Toolbar' "$work/out" || fail "the scan found nothing: $(cat "$work/out")"
archive=$(sed -n 's/^Quarantine archive: //p' "$work/errors" | tr -d '\r')
[[ ${archive,,} == "${program,,}\\quarantine\\"*.vmq ]] || fail "no archive in the program folder: $archive"
[ -n "$(ls "$folder/Logs")" ] || fail "no session log in the program folder"
printf 'Glimmerbar Toolbar,C:\\glimmerbar.ini,1\r\n' >"$folder/Ignorelist.txt"
# The user's choices: no update check, start with Windows, a scheduled scan.
wine reg add "$settings_key" /v Corvane /t REG_DWORD /d 0 /f </dev/null >/dev/null 2>&1
wine reg add "$settings_key" /v WindowsStartUp /t REG_DWORD /d 1 /f </dev/null >/dev/null 2>&1
wine reg add "$run_key" /v Vexmarl /d "$program\\Vexmarl.exe -s" /f </dev/null >/dev/null 2>&1
cli schedule --daily 10:00
[ "$status" -eq 0 ] || fail "the scan was not scheduled: $(cat "$work/errors")"
job=$(unix "$(variable windir)\\Tasks")/Vexmarl.job
[ -s "$job" ] || fail "no scheduled task"

# While the program runs (a scheduled start, which scans and so logs), nothing is installed.
logs=$(ls "$folder/Logs" | wc -l)
wine "$program\\Vexmarl.exe" -t </dev/null >/dev/null 2>&1 &
running=$!
for _ in $(seq 300); do
  [ "$(ls "$folder/Logs" | wc -l)" -gt "$logs" ] && break
  sleep 0.1
done
[ "$(ls "$folder/Logs" | wc -l)" -gt "$logs" ] || fail "the program did not start"
rm "$folder/database.db"
run_setup /S
[ "$status" -eq 2 ] || fail "the setup program ended with $status while the program ran"
[ ! -e "$folder/database.db" ] || fail "the setup program installed while the program ran"
kill "$running"
wait "$running" 2>/dev/null || true
running=""
kept=$(user_data)

# An upgrade, into the folder of the install: the program anew, the user's data as it was.
run_setup /S
[ "$status" -eq 0 ] || fail "the upgrade ended with $status"
cmp -s "$build/program/database.db" "$folder/database.db" || fail "the upgrade did not install"
[ "$(user_data)" = "$kept" ] || fail "the upgrade changed the user's data: $(user_data)"
[ "$(value "$settings_key" Corvane)" = 0x0 ] || fail "the upgrade did not keep the settings"
cli quarantine list
[ "$(cut -f1 "$work/out")" = "$(basename "${archive//\\//}" .vmq)" ] ||
  fail "the upgraded program lists the quarantine as: $(cat "$work/out")"

# A silent uninstall: the uninstaller runs from a copy of itself, and ends after the first.
wine "$program\\Uninstall.exe" /S </dev/null >/dev/null 2>&1 || fail "the uninstaller did not start"
uninstalling() {
  local line
  for line in $(grep -laF 'Au_.exe' /proc/[0-9]*/cmdline 2>/dev/null); do
    grep -qzxF "WINEPREFIX=$WINEPREFIX" "${line%cmdline}environ" 2>/dev/null && return 0
  done
  return 1
}
# The copy may not have started yet when the first one has ended.
for _ in $(seq 300); do
  [ ! -e "$folder/Uninstall.exe" ] && ! uninstalling && break
  sleep 0.1
done
[ ! -e "$folder/Uninstall.exe" ] || fail "the uninstaller did not finish"
for name in "${shipped[@]}" images; do
  [ ! -e "$folder/$name" ] || fail "$name is still there"
done
[ "$(user_data)" = "$kept" ] || fail "the silent uninstall did not keep the quarantine and the logs"
[ -z "$(value "$run_key" Vexmarl)" ] || fail "the start-up entry is still there"
[ "$(value "$settings_key" WindowsStartUp)" = 0x0 ] || fail "the settings still start the program"
[ ! -e "$job" ] || fail "the scheduled task is still there"
[ ! -e "$menu" ] || fail "the Start menu folder is still there: $(ls "$menu")"
! key_exists "$uninstall_key" || fail "the entry in the list of programs is still there"
! installed_programs | grep -qx Vexmarl || fail "the system still lists the program"
echo "installer test: installed, scanned, refused while running, upgraded keeping the user's data, uninstalled keeping the quarantine"
