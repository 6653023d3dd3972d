#!/usr/bin/env bash
# The Windows program mails its logs through the system's Simple MAPI: with the tests' own
# MAPI32.DLL in its folder (which the loader takes before the system's), `vexmarl-cli.exe logs
# mail` hands it one message to the log address of settings.xml, with the brand's subject and
# text and a ZIP archive holding the chosen logs, then deletes the archive; with no MAPI32.DLL
# to load it says so, keeps the archive and loses nothing. Wine's own MAPI32.DLL reports
# success with no mail client behind it, so it is never the one that answers here.
#   tests/win32/log_mail_test.sh BUILD_WINDOWS MAPI32_DLL   (needs a display for Wine)
set -euo pipefail
build=$(realpath "$1")
mail_system=$(realpath "$2")
test_name="log mail test"
. "$(dirname "$0")/test_prefix.sh"
unix() { winepath -u "$1" 2>/dev/null; }
program='C:\Program Files\Vexmarl'
logs="$program\\Logs"
# Runs vexmarl-cli.exe; its output in $work/out, its errors in $work/errors, its status in
# $status.
cli() {
  status=0
  wine "$program\\vexmarl-cli.exe" "$@" </dev/null >"$work/out" 2>"$work/errors" || status=$?
  for stream in out errors; do
    tr -d '\r' <"$work/$stream" >"$work/$stream.lf"
    mv "$work/$stream.lf" "$work/$stream"
  done
}

# The program, installed as an installer would, for a brand whose logs go to its own address;
# two logs in its Logs folder, the second written last.
folder=$(unix "$program")
mkdir -p "$folder/Logs"
cp -r "$build/program/." "$folder/"
address=collector@logs.test.example
sed -i "s|<LOGSMAIL>[^<]*</LOGSMAIL>|<LOGSMAIL>$address</LOGSMAIL>|" "$folder/settings.xml"
grep -q "<LOGSMAIL>$address</LOGSMAIL>" "$folder/settings.xml" || fail "settings.xml names no LOGSMAIL"
printf '<Scan>\r\n  <Item Name = "Glimmerbar"/>\r\n</Scan>\r\n' >"$folder/Logs/Scan 1.xml"
printf 'Vexmarl session\r\nOS = Windows XP\r\n' >"$folder/Logs/VexmarlLog 2.log"
touch -d '2 hours ago' "$folder/Logs/Scan 1.xml"
touch -d '1 hour ago' "$folder/Logs/VexmarlLog 2.log"
cp "$folder/Logs/Scan 1.xml" "$folder/Logs/VexmarlLog 2.log" "$work/"
logs_unchanged() {
  cmp -s "$work/Scan 1.xml" "$folder/Logs/Scan 1.xml" &&
    cmp -s "$work/VexmarlLog 2.log" "$folder/Logs/VexmarlLog 2.log" || fail "$1: a log changed"
}
# The archive's entries, in order, each followed by its bytes' digest.
entries() {
  unzip -tqq "$1" >/dev/null || fail "$1 is no sound ZIP archive"
  unzip -Z1 "$1" | while IFS= read -r name; do
    printf '%s %s\n' "$name" "$(unzip -p "$1" "$name" | md5sum | cut -d' ' -f1)"
  done
}
entry() { printf '%s %s\n' "$1" "$(md5sum <"$work/$1" | cut -d' ' -f1)"; }

# Two logs named: one archive named after the first, handed to the mail system, then deleted.
# Windows loads a MAPI32.DLL of the program's folder before the system's; Wine takes its own
# even then, unless told to take the one it finds first ("n,b").
cp "$mail_system" "$folder/MAPI32.DLL"
WINEDLLOVERRIDES="$WINEDLLOVERRIDES;mapi32=n,b" cli logs mail 'Scan 1.xml' 'VexmarlLog 2.log'
[ "$status" -eq 0 ] || fail "the mailing ended with $status: $(cat "$work/errors")"
[ "$(cat "$work/out")" = "mailed $logs\\Scan 1.zip to $address" ] ||
  fail "the mailing says: $(cat "$work/out") $(cat "$work/errors")"
[ -f "$folder/MAPI32.txt" ] || fail "the mail system in the program's folder was not called"
diff - "$folder/MAPI32.txt" >&2 <<EOF || fail "the mail system was handed another message"
session 0, window 0, flags 9, reserved 0
recipient: to "$address" "SMTP:$address"
subject: "Vexmarl scan log"
text: "Please find the scan log attached."
attachment: "$logs\\Scan 1.zip" named null at 4294967295, copied to MAPI32-1.bin
EOF
diff <(entry 'Scan 1.xml'; entry 'VexmarlLog 2.log') <(entries "$folder/MAPI32-1.bin") >&2 ||
  fail "the attachment does not hold the two logs"
[ ! -e "$folder/Logs/Scan 1.zip" ] || fail "the archive is left after the mail system took it"
logs_unchanged "mailed"

# No mail system to load (none in the program's folder, the system's disabled): the user is
# told, the newest log's archive is kept for mailing by hand.
rm "$folder/MAPI32.DLL" "$folder/MAPI32.txt" "$folder/MAPI32-1.bin"
WINEDLLOVERRIDES="$WINEDLLOVERRIDES;mapi32=d" cli logs mail
[ "$status" -eq 1 ] || fail "without a mail system the mailing ended with $status"
grep -qxF 'Vexmarl: Unable to load mail system support.' "$work/errors" ||
  fail "without a mail system the user is told: $(cat "$work/errors")"
[ "$(cat "$work/out")" = "kept $logs\\VexmarlLog 2.zip" ] ||
  fail "without a mail system the mailing says: $(cat "$work/out")"
diff <(entry 'VexmarlLog 2.log') <(entries "$folder/Logs/VexmarlLog 2.zip") >&2 ||
  fail "the kept archive does not hold the newest log"
logs_unchanged "not mailed"
echo "log mail test: the logs were mailed as a ZIP archive through MAPI32.DLL, and kept without one"
