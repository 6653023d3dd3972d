#!/usr/bin/env bash
# Plants the demo infection into a machine image: registry traces, files and hosts lines of
# the invented spyware that data/demo/definitions.xml describes.
#   plant.sh IMAGE VEXMACHINE
set -euo pipefail
image=$1
vexmachine=$2
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
