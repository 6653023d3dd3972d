#!/usr/bin/env bash
# Plants the demo infection into a machine image: registry traces, files and hosts lines of
# the invented spyware that data/demo/definitions.xml describes.
# With a third argument, that program is also copied in as the dialer's "pwdial.exe", named by
# a Run value, and as its hook library "pwdialhk.dll", which runs as a program of its own and
# so can only be deleted once the machine restarts; both are started, and their process ids
# are left in IMAGE/demo-spyware.pid, one a line.
#   plant.sh IMAGE VEXMACHINE [SPYWARE_PROGRAM]
set -euo pipefail
image=$1
vexmachine=$2
spyware=${3:-}
here=$(cd "$(dirname "$0")" && pwd)

drive="$image/drives/C"
cp "$here/infection.reg" "$drive/infection.reg"
"$vexmachine" regedit "$image" /s 'C:\infection.reg'
rm "$drive/infection.reg"

# Places a file at a Windows path below C:\ of the image, making its folders; folders that
# exist already are reached under their own spelling.
plant() {
  local folder=${1%\\*} name=${1##*\\} host
  if host=$("$vexmachine" path "$image" "$folder" 2>/dev/null); then
    mkdir -p "$host"
  else
    mkdir -p "$drive/$(echo "${folder#C:\\}" | tr '\\' '/')"
    host=$("$vexmachine" path "$image" "$folder")
  fi
  printf '%s' "$2" >"$host/$name"
}

plant 'C:\Program Files\Glimmerbar\glimmer.exe' 'MZ glimmer toolbar'
plant 'C:\Program Files\Glimmerbar\skins\blue.skin' 'skin'
plant 'C:\WINDOWS\system32\glmhook.dll' 'MZ hook'
plant 'C:\glimmerbar.ini' '[glimmer]'
plant 'C:\WINDOWS\qfk32.dll' 'MZ keylogger'
profile=$("$vexmachine" info "$image" | awk -F'\t' '$1 == "folder" && $2 == 40 { print $3 }')
plant "$profile\\Local Settings\\qfk\\keys.dat" 'keys'

hosts=$("$vexmachine" path "$image" 'C:\WINDOWS\system32\drivers\etc\hosts')
printf '127.0.0.1 update.vexmarl.example\r\n203.0.113.7 www.vexmarl.example\r\n' >>"$hosts"

if [ -n "$spyware" ]; then
  temp=$("$vexmachine" info "$image" | awk -F'\t' '$1 == "temp" { print $2 }')
  program="${temp%\\}\\pwdial.exe"
  plant "$program" ''
  host=$("$vexmachine" path "$image" "$program")
  rm -f "$host"
  cp "$spyware" "$host"
  printf 'REGEDIT4\r\n\r\n[HKEY_CURRENT_USER\\Software\\Microsoft\\Windows\\CurrentVersion\\Run]\r\n"pwdial"="%s"\r\n' \
    "${program//\\/\\\\}" >"$drive/dialer.reg"
  "$vexmachine" regedit "$image" /s 'C:\dialer.reg'
  rm "$drive/dialer.reg"
  VEXMARL_MACHINE="$image" setsid "$host" </dev/null >/dev/null 2>&1 &
  echo $! >"$image/demo-spyware.pid"
  hook=$("$vexmachine" path "$image" 'C:\WINDOWS\system32')/pwdialhk.dll
  cp "$spyware" "$hook"
  VEXMARL_MACHINE="$image" setsid "$hook" </dev/null >/dev/null 2>&1 &
  echo $! >>"$image/demo-spyware.pid"
fi
