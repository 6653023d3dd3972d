# The program and the demo infection in a Wine prefix, for the whole-program tests and the
# Windows screenshots. Source it with the prefix's environment set (scripts/wine-prefix env);
# it defines:
#   install_program BUILD   the program folder of the Windows build BUILD copied into
#                           C:\Program Files\Vexmarl, as an installer would, with the scan
#                           switches (every switch on, the drive C:\)
#   plant_infection BUILD   the demo infection, planted with the system's own tools: its
#                           registry traces through regedit.exe, its files, its hosts lines,
#                           and the dialer's program (BUILD's stand-in) named by a Run value;
#                           sets profile, temp, windows, hosts and planted (Windows path ->
#                           the content planted there)
#   start_dialer            starts the dialer; its process id in dialer
# and the helpers unix (a Windows path's host path), variable (a Windows environment string)
# and import_registry (registry-editor text imported with regedit.exe).
program='C:\Program Files\Vexmarl'
plant_top=$(cd "$(dirname "${BASH_SOURCE[0]}")/../.." && pwd)

unix() { winepath -u "$1" 2>/dev/null; }
variable() { wine cmd /c "echo %$1%" </dev/null 2>/dev/null | tr -d '\r'; }
import_registry() {
  printf '%s' "$1" >"$(unix 'C:\vexmarl-test.reg')"
  wine regedit /s 'C:\vexmarl-test.reg' </dev/null
  rm "$(unix 'C:\vexmarl-test.reg')"
}

install_program() {
  local build=$1 switches="" name
  mkdir -p "$(unix "$program")"
  cp -r "$build/program/." "$(unix "$program")/"
  for name in AdvSpyware IEFAV Drives NonExe Registry Active Hosts; do
    switches+="\"Cust_Scan_$name\"=dword:00000001"$'\r\n'
  done
  import_registry $'REGEDIT4\r\n\r\n[HKEY_LOCAL_MACHINE\\SOFTWARE\\Vexmarl]\r\n'"$switches"$'"Cust_Scan_Drives_Num"=dword:00000001\r\n"Cust_Scan_Drives_1"="C:\\\\"\r\n'
}

plant_infection() {
  local build=$1 path host
  import_registry "$(cat "$plant_top/data/demo/infection.reg")"
  profile=$(variable USERPROFILE)
  temp=$(variable TEMP)
  windows=$(variable windir)
  declare -gA planted=(
    ['C:\Program Files\Glimmerbar\glimmer.exe']='MZ glimmer toolbar'
    ['C:\Program Files\Glimmerbar\skins\blue.skin']='skin'
    ["$windows\\system32\\glmhook.dll"]='MZ hook'
    ['C:\glimmerbar.ini']='[glimmer]'
    ["$windows\\qfk32.dll"]='MZ keylogger'
    ["$profile\\Local Settings\\qfk\\keys.dat"]='keys'
  )
  for path in "${!planted[@]}"; do
    host=$(unix "$path")
    mkdir -p "$(dirname "$host")"
    printf '%s' "${planted[$path]}" >"$host"
  done
  hosts=$(unix "$windows\\system32\\drivers\\etc\\hosts")
  printf '127.0.0.1 update.vexmarl.example\r\n203.0.113.7 www.vexmarl.example\r\n' >>"$hosts"
  cp "$build/data/demo-spyware.exe" "$(unix "$temp")/pwdial.exe"
  cp "$build/data/demo-spyware.exe" "$(unix "$windows\\system32")/pwdialhk.dll"
  import_registry $'REGEDIT4\r\n\r\n[HKEY_CURRENT_USER\\Software\\Microsoft\\Windows\\CurrentVersion\\Run]\r\n"pwdial"="'"${temp//\\/\\\\}"$'\\\\pwdial.exe"\r\n'
}

start_dialer() {
  wine "$temp\\pwdial.exe" </dev/null >/dev/null 2>&1 &
  dialer=$!
  # Wine names the process after its Windows program once the program has started.
  for _ in $(seq 100); do
    [ "$(ps -o args= -p "$dialer" | tr -d ' ')" = "$temp\\pwdial.exe" ] && return 0
    sleep 0.1
  done
  echo "the dialer does not run" >&2
  return 1
}
