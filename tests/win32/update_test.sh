#!/usr/bin/env bash
# Updates of the Windows program on a Windows system: in a fresh Wine prefix, the program
# installed in C:\Program Files\Vexmarl finds newer definitions (and an archive of images) that
# the Linux vxdb published, on the Linux update server at 127.0.0.1. vexmarl-cli.exe checks,
# asks, downloads through WinINet, checks the digests and hands over to the system's
# rundll32.exe, whose installer puts the files in place and starts the program again; the next
# scan logs the new definitions' version. Every list is signed with the demo's key, which the
# brand names: CryptoAPI checks the signatures, and each forgery is refused with its reason. An
# archive with an entry that would land outside the program folder, and a download the server
# cuts short, change nothing.
#   tests/win32/update_test.sh BUILD_WINDOWS VXDB UPDATE_SERVER
#                              (needs a display for Wine: run under xvfb-run)
set -euo pipefail
build=$(realpath "$1")
vxdb=$(realpath "$2")
update_server=$(realpath "$3")
servers=()
stop_own_processes() {
  local server
  for server in "${servers[@]}"; do
    kill "$server" 2>/dev/null || true
    wait "$server" 2>/dev/null || true
  done
}
test_name="update test"
. "$(dirname "$0")/test_prefix.sh"
unix() { winepath -u "$1" 2>/dev/null; }
# A Windows environment string of the prefix.
variable() { wine cmd /c "echo %$1%" </dev/null 2>/dev/null | tr -d '\r'; }
# Imports registry-editor text with the system's regedit.exe.
import() {
  printf '%s' "$1" >"$(unix 'C:\vexmarl-test.reg')"
  wine regedit /s 'C:\vexmarl-test.reg' </dev/null
  rm "$(unix 'C:\vexmarl-test.reg')"
}
# A registry value's data as reg.exe shows it, or nothing when it is missing.
value() {
  wine reg query "$1" /v "$2" </dev/null 2>/dev/null | tr -d '\r' |
    awk -v name="$2" '$1 == name { sub(/^ *[^ ]+ +[^ ]+ */, ""); print }'
}
program='C:\Program Files\Vexmarl'
# Runs vexmarl-cli.exe; its output in $work/out, its errors in $work/errors, its status in
# $status.
cli() {
  status=0
  wine "$program\\vexmarl-cli.exe" "$@" </dev/null >"$work/out" 2>"$work/errors" || status=$?
  tr -d '\r' <"$work/out" >"$work/out.lf"
  mv "$work/out.lf" "$work/out"
}
# Starts a server in the background; the first line it prints (its address) goes to $served.
serve() {
  local said="$work/served${#servers[@]}"
  "$@" >"$said" 2>&1 &
  servers+=($!)
  for _ in $(seq 100); do
    served=$(head -n1 "$said")
    [ -n "$served" ] && return 0
    sleep 0.05
  done
  fail "$1 does not serve: $(cat "$said")"
}

# The program, installed as an installer would, with the update server the tests run.
folder=$(unix "$program")
mkdir -p "$folder"
cp -r "$build/program/." "$folder/"
site=$work/site
mkdir -p "$site/vexmarlse" "$site/vexmarl" "$site/files"
serve "$update_server" "$site"
url=$served
import $'REGEDIT4\r\n\r\n[HKEY_LOCAL_MACHINE\\SOFTWARE\\Vexmarl]\r\n"UpdateServer"="'"$url"$'"\r\n'
# The program itself is not newer. The vendor signs every list.
key=$top/data/demo/update-key.pem
printf '4.23\n0\n0\n' >"$site/vexmarlse/updatecore.aspx"
"$vxdb" sign "$site/vexmarlse/updatecore.aspx" "$key"
temp=$(unix "$(variable TEMP)")
downloads() { find "$temp" -maxdepth 1 -regextype posix-extended -regex '.*/[0-9A-Z]{10}'; }

# The vendor's definitions of the given version: the installed ones with that version, packed.
definitions() {
  "$vxdb" unpack "$build/program/database.db" "$work/definitions.xml"
  grep -q 'VERSION="4.23.0001"' "$work/definitions.xml" || fail "the definitions have no version"
  sed "s/VERSION=\"4.23.0001\"/VERSION=\"$1\"/" "$work/definitions.xml" >"$work/newer.xml"
  "$vxdb" pack "$work/newer.xml" "$2"
}
# A ZIP archive ARCHIVE of NAME FILE pairs: each entry stored under its name as it is, in
# order, with the file's bytes.
archive() {
  perl -MIO::Compress::Zip=:all -e '
    my $out = shift; my $zip;
    while (my ($name, $file) = splice(@ARGV, 0, 2)) {
      open my $in, "<:raw", $file or die "$file: $!";
      my $bytes = do { local $/; <$in> };
      if ($zip) { $zip->newStream(Name => $name) or die $ZipError }
      else { $zip = IO::Compress::Zip->new($out, Name => $name) or die $ZipError }
      $zip->print($bytes);
    }
    $zip->close or die $ZipError;' "$@"
}
# Publishes the files of a folder as the definitions' update list of the version, with the
# restart flag.
publish() {
  cp "$1"/* "$site/files/"
  "$vxdb" publish "$1" --version "$2" --restart "$3" --base-url "$url/files" \
    --out "$site/vexmarl/update.txt" --sign "$key"
}
# Waits until no install list waits and no installer runs, and with "restart" until the
# installer has started the program again (the update command, without arguments this time,
# which ends at once). The installer seen: its command line in $installer, the runner program
# it runs, as mapped in its memory, in $runner.
await_installer() {
  installer="" runner=""
  local line process command mapped running restarted=false
  for _ in $(seq 600); do
    running=""
    for line in $(grep -laE ',InstallUpdates|vexmarl-cli\.exe' /proc/[0-9]*/cmdline 2>/dev/null); do
      process=${line%/cmdline}
      grep -qzxF "WINEPREFIX=$WINEPREFIX" "$process/environ" 2>/dev/null || continue
      command=$({ tr '\0' ' ' <"$line"; } 2>/dev/null | sed 's/ *$//')
      case $command in
        *,InstallUpdates)
          running=$command installer=$command
          # Nothing is mapped yet while it starts, or any more while it ends.
          mapped=$(awk '$6 ~ /\/rundll32\.exe$/ { print $6; exit }' "$process/maps" 2>/dev/null)
          [ -z "$mapped" ] || runner=$mapped
          ;;
        "$program\vexmarl-cli.exe") restarted=true ;;
      esac
    done
    [ -z "$running" ] && [ ! -e "$folder/Corvane.dat" ] &&
      { [ "${1-}" != restart ] || $restarted; } && return 0
    sleep 0.05
  done
  $restarted || [ "${1-}" != restart ] || fail "the installer did not start the program again"
  fail "the installer did not finish: ${installer:-it never ran}"
}
# What the program folder holds, with each file's digest (the logs the scans write aside).
holdings() { (cd "$folder" && find . -path ./Logs -prune -o -type f -print | sort | xargs md5sum); }

# Newer definitions and an archive of images.
mkdir -p "$work/published"
definitions 15.1 "$work/published/database.db"
printf bitmap >"$work/extra.bmp"
printf hello >"$work/readme.txt"
archive "$work/published/skins.zip" images/extra.bmp "$work/extra.bmp" readme.txt "$work/readme.txt"
publish "$work/published" 15.1 1
cli update --check
[ "$status" -eq 1 ] || fail "the check ended with $status: $(cat "$work/errors")"
[ "$(cat "$work/out")" = $'program\tUpdateNone\t0\t4.23\ndatabase\tUpdateAvailable\t0\t15.1' ] ||
  fail "the check found: $(cat "$work/out") $(cat "$work/errors")"

cli update --yes
[ "$status" -eq 0 ] || fail "the update ended with $status: $(cat "$work/errors")"
[ "$(cat "$work/out")" = $'program\tUpdateNone\t0\t4.23\ndatabase\tUpdateAvailable\t0\t15.1\ndatabase\tUpdateDownloaded\t0\t15.1' ] ||
  fail "the update reported: $(cat "$work/out") $(cat "$work/errors")"
grep -qF 'A new definitions database for Vexmarl is available (version 15.1).' "$work/errors" ||
  fail "the question does not name the version: $(cat "$work/errors")"
grep -qF 'Vexmarl Database: Downloading update...' "$work/errors" ||
  fail "the download's progress was not shown: $(cat "$work/errors")"
await_installer restart
# The system's rundll32.exe runs the entry of the library's copy, named by its short path.
entry='^rundll32 [^ ]+\\xcorvane\.dll,installupdates$'
[[ ${installer,,} =~ $entry && $runner == */rundll32.exe && $runner != "$folder"/* ]] ||
  fail "the installer did not run in the system's rundll32.exe: ${installer:-nothing ran} ($runner)"
cmp -s "$work/published/database.db" "$folder/database.db" || fail "database.db is not the new one"
[ "$(cat "$folder/images/extra.bmp" 2>/dev/null)" = bitmap ] || fail "the archive was not unpacked"
[ "$(cat "$folder/readme.txt" 2>/dev/null)" = hello ] || fail "the archive was not unpacked"
cmp -s "$folder/Corvane.dll" "$folder/xCorvane.dll" || fail "the installer's copy of the library is not there"
[ -z "$(downloads)" ] || fail "downloads were left behind: $(downloads)"
[ "$(value 'HKLM\SOFTWARE\Vexmarl' DownloadComplete)" = 0x1 ] || fail "the hand-over is not marked"

# The next scan uses the new definitions.
cli scan
log=$(sed -n 's/^Session log: //p' "$work/errors" | tr -d '\r')
[ -n "$log" ] || fail "no session log named: $(cat "$work/errors")"
grep -qF 'DatabaseVersion = "15.1"' "$(unix "$log")" ||
  fail "the scan did not use the new definitions: $(grep -a 'DatabaseVersion' "$(unix "$log")")"

# An archive whose first entry would land beside the program folder changes nothing.
before=$(holdings)
rm -rf "$work/published" "$site/files"/*
mkdir -p "$work/published"
definitions 15.2 "$work/newest.db"
archive "$work/published/definitions.zip" ../escaped.txt "$work/readme.txt" \
  database.db "$work/newest.db"
publish "$work/published" 15.2 0
cli update --yes
[ "$(tail -n1 "$work/out")" = $'database\tUpdateDownloaded\t0\t15.2' ] ||
  fail "the archive was not downloaded: $(cat "$work/out") $(cat "$work/errors")"
await_installer
[ -n "$installer" ] || fail "no installer ran for the archive"
[ -z "$(find "$WINEPREFIX/drive_c" -name escaped.txt)" ] || fail "an entry escaped the folder"
[ "$(holdings)" = "$before" ] || fail "the archive changed the program folder"
[ -z "$(downloads)" ] || fail "downloads were left behind: $(downloads)"

# Forged lists and downloads: each refused with its reason, nothing fetched is installed.
list=$site/vexmarl/update.txt
cp "$work/newest.db" "$site/files/forged.db"
offer="15.4\n1\n0\ndatabase.db\t$(sha256sum "$work/newest.db" | cut -d' ' -f1)\t1\t$url/files/forged.db\t0\t0\n"
# Serves the list (printf text), signed as the rest of the arguments say, and expects the
# refusal's reason code.
refused() {
  local reason=$1 text=$2 how=$3
  printf "$text" >"$list"
  rm -f "$list.sig"
  case $how in
    signed) "$vxdb" sign "$list" "$key" ;;
    issued) "$vxdb" sign "$list" "$key" --issued "$4" ;;
    other-key) "$vxdb" sign "$list" "$top/tests/updater/keys/other-key.pem" ;;
    byte-changed) "$vxdb" sign "$list" "$key" && sed -i '1s/^15/16/' "$list" ;;
    other-list) printf '15.1\n0\n0\n' >"$list.other" && "$vxdb" sign "$list.other" "$key" &&
      mv "$list.other.sig" "$list.sig" ;;
    empty) : >"$list.sig" ;;
    garbage) printf '2026-12-09T10:00:00Z\nnot a signature\n' >"$list.sig" ;;
    missing) ;;
  esac
  cli update --yes
  [ "$status" -eq 2 ] && [[ $(tail -n1 "$work/out") == $'database\tUpdateRefused\t'"$reason"$'\t'* ]] ||
    fail "a list ($how) was not refused with reason $reason: $(cat "$work/out") $(cat "$work/errors")"
  grep -qF 'Vexmarl refused an update: the database list' "$work/errors" ||
    fail "the refusal ($how) was not told: $(cat "$work/errors")"
}
refused 3 "$offer" byte-changed
refused 3 "$offer" other-list
refused 3 "$offer" other-key
refused 1 "$offer" missing
refused 2 "$offer" empty
refused 2 "$offer" garbage
refused 8 "15.4\n1\n0\ndatabase.db\t\t1\t$url/files/forged.db\t0\t0\n" signed
refused 9 "${offer/$(sha256sum "$work/newest.db" | cut -d' ' -f1)/$(printf x | sha256sum | cut -d' ' -f1)}" signed
refused 5 "$offer" issued "$(date -u -d '-1 hour' +%Y-%m-%dT%H:%M:%SZ)"
refused 7 "15.0\n0\n0\n" signed
grep -qF '<Information Message = "Update refused: the database list' "$folder"/Logs/* ||
  fail "no refusal reached the session log"
await_installer
[ -z "$installer" ] || fail "an installer ran for a refused update: $installer"
[ "$(holdings)" = "$before" ] || fail "a refused update changed the program folder"
[ -z "$(downloads)" ] || fail "a refused download was left behind: $(downloads)"

# A download the server cuts short, though its length was announced, changes nothing either,
# even though its digest is in the signed list. (Each update command clears the mark of
# the hand-over before, as the window's start does.)
serve perl -MIO::Socket::INET -e '
  open my $in, "<:raw", $ARGV[0] or die; my $body = do { local $/; <$in> };
  my $listener = IO::Socket::INET->new(LocalAddr => "127.0.0.1", LocalPort => 0, Listen => 4,
                                       ReuseAddr => 1) or die;
  $| = 1; print "http://127.0.0.1:", $listener->sockport, "\n";
  while (my $connection = $listener->accept) {
    my $request = "";
    while ($request !~ /\r\n\r\n/) { sysread($connection, $request, 4096, length $request) or last }
    print $connection "HTTP/1.1 200 OK\r\nContent-Length: ", length($body),
      "\r\nConnection: close\r\n\r\n", substr($body, 0, length($body) / 2);
    close $connection;
  }' "$work/newest.db"
size=$(stat -c %s "$work/newest.db")
printf '15.3\n1\n0\ndatabase.db\t%s\t%s\t%s/database.db\t0\t0\n' \
  "$(sha256sum "$work/newest.db" | cut -d' ' -f1)" "$size" "$served" >"$site/vexmarl/update.txt"
"$vxdb" sign "$site/vexmarl/update.txt" "$key"
cli update --yes
[ "$status" -eq 2 ] || fail "the cut download ended with $status: $(cat "$work/errors")"
[ "$(tail -n1 "$work/out")" = $'database\tUpdateDownloadFailed\t0\t15.3' ] ||
  fail "the cut download was not refused: $(cat "$work/out") $(cat "$work/errors")"
await_installer
[ -z "$installer" ] || fail "an installer ran for a cut download: $installer"
[ "$(holdings)" = "$before" ] || fail "the cut download changed the program folder"
[ "$(value 'HKLM\SOFTWARE\Vexmarl' DownloadComplete)" = 0x0 ] || fail "a cut download was handed over"
echo "update test: newer definitions and an archive were installed through rundll32.exe; ten forgeries were refused; a zip-slip archive and a cut download changed nothing"
