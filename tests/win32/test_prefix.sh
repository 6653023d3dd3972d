# Sourced by the shell tests of the Windows program, after they set test_name: a fresh Wine
# prefix in a temporary folder, $work, with its environment exported; when the test exits,
# stop_own_processes (where the test defines it) ends what the test started, then every Wine
# process of the prefix is ended and the folder removed. fail MESSAGE ends the test with its
# name and the message.
top=$(cd "$(dirname "${BASH_SOURCE[0]}")/../.." && pwd)
work=$(mktemp -d)
finish() {
  if declare -F stop_own_processes >/dev/null; then stop_own_processes; fi
  "$top/scripts/wine-prefix" end "$work"
  rm -rf "$work"
}
trap finish EXIT
"$top/scripts/wine-prefix" create "$work"
eval "$("$top/scripts/wine-prefix" env "$work")"

fail() {
  echo "$test_name: $*" >&2
  exit 1
}
