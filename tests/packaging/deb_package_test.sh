#!/usr/bin/env bash
# Builds the Debian package with CPack, checks what it holds, runs lintian on it (no errors
# allowed), then unpacks it into a scratch root and uses it from there as a user would: a
# machine image created and the program installed into it by the unpacked vexmachine, the
# demo infection planted with the unpacked demo, and a scan that lists it. Nothing is
# installed on the host.
#   deb_package_test.sh BUILD_DIR PACKAGE_DIR VERSION
set -euo pipefail
build=$1
version=$3
arch=$(dpkg --print-architecture)
deb=$2/vexmarl_${version}_${arch}.deb
scratch=$(mktemp -d)
trap 'kill $(cat "$scratch/image/demo-spyware.pid" 2>/dev/null) 2>/dev/null || true; rm -rf "$scratch"' EXIT

fail() {
  echo "FAIL: $*" >&2
  exit 1
}

rm -f "$deb"
(cd "$build" && cpack --config CPackConfig.cmake >"$scratch/cpack.txt" 2>&1) ||
  { cat "$scratch/cpack.txt" >&2; fail "cpack failed"; }
[ -f "$deb" ] || fail "no $deb"

# Every part, where it belongs.
dpkg-deb -c "$deb" >"$scratch/listing.txt"
awk '{ print $6 }' "$scratch/listing.txt" | sed 's|^\./|/|' >"$scratch/contents.txt"
for path in /usr/bin/vexmachine /usr/bin/vxdb /usr/bin/vexmarl-update-server \
  /usr/lib/vexmarl/bin/vexmachine /usr/lib/vexmarl/bin/regedit /usr/lib/vexmarl/bin/rundll32 \
  /usr/lib/vexmarl/bin/explorer /usr/lib/vexmarl/bin/MAPI32.DLL \
  /usr/lib/vexmarl/program/Vexmarl.exe /usr/lib/vexmarl/program/vexmarl-cli.exe \
  /usr/lib/vexmarl/program/Corvane.dll /usr/lib/vexmarl/program/resources.dll \
  /usr/lib/vexmarl/program/settings.xml /usr/lib/vexmarl/program/database.db \
  /usr/lib/vexmarl/program/images/ /usr/lib/vexmarl/demo/demo-spyware \
  /usr/share/vexmarl/demo/definitions.xml /usr/share/vexmarl/demo/infection.reg \
  /usr/share/vexmarl/demo/plant.sh /usr/share/man/man1/vexmachine.1.gz \
  /usr/share/man/man1/vxdb.1.gz /usr/share/man/man1/vexmarl-cli.1.gz \
  /usr/share/man/man1/vexmarl-update-server.1.gz \
  /usr/share/doc/vexmarl/copyright /usr/share/doc/vexmarl/changelog.gz; do
  grep -qx "$path" "$scratch/contents.txt" || fail "the package lacks $path"
done
grep -q '^l.* \./usr/bin/vexmachine -> \.\./lib/vexmarl/bin/vexmachine$' "$scratch/listing.txt" ||
  fail "/usr/bin/vexmachine is not a link to /usr/lib/vexmarl/bin/vexmachine"
[ "$(dpkg-deb -f "$deb" Package Version Architecture | tr '\n' ' ')" = \
  "Package: vexmarl Version: $version Architecture: $arch " ] || fail "wrong control fields"
dpkg-deb -f "$deb" Depends | grep -q 'libc6' || fail "no shared-library dependencies"

# Debian's checks: warnings are allowed, errors are not.
lintian --tag-display-limit 0 "$deb" >"$scratch/lintian.txt" 2>&1 || true
if grep -q '^E: ' "$scratch/lintian.txt"; then
  grep '^E: ' "$scratch/lintian.txt" >&2
  fail "lintian reports errors"
fi

# The unpacked tree at work.
root=$scratch/root
image=$scratch/image
dpkg-deb -x "$deb" "$root"
vexmachine=$root/usr/bin/vexmachine
"$vexmachine" create "$image" >/dev/null
"$vexmachine" install "$image" >/dev/null
cmp "$root/usr/lib/vexmarl/program/database.db" \
  "$("$vexmachine" path "$image" 'C:\Program Files\Vexmarl\database.db')" ||
  fail "vexmachine install did not copy the unpacked program"
"$root/usr/share/vexmarl/demo/plant.sh" "$image" "$vexmachine" "$root/usr/lib/vexmarl/demo/demo-spyware"
sleep 0.5
status=0
"$vexmachine" run "$image" 'C:\Program Files\Vexmarl\vexmarl-cli.exe' scan \
  >"$scratch/found.txt" 2>"$scratch/summary.txt" </dev/null || status=$?
[ "$status" -eq 1 ] || { cat "$scratch/summary.txt" >&2; fail "the scan ended with $status"; }
for item in $'6\tHostsEntry\tPennywhistle Dialer\twww.vexmarl.example' \
  $'1\tFile\tGlimmerbar Toolbar\tC:\\glimmerbar.ini'; do
  grep -qxF "$item" "$scratch/found.txt" || fail "the scan did not list $item"
done
# The running dialer is found by the digest of the packaged spyware, under its long name.
grep -qF 'Local Settings\Temp\pwdial.exe' "$scratch/found.txt" || fail "no running dialer found"
zcat "$root/usr/share/man/man1/vexmarl-cli.1.gz" | grep -q '^\.SH EXIT STATUS' ||
  fail "the manual page of vexmarl-cli has no exit statuses"
echo "vexmarl_${version}_${arch}.deb: $(wc -l <"$scratch/contents.txt") entries, lintian without errors, works unpacked"
