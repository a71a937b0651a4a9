# Helpers of the New Components dialog scripts (sourced after wine_lib.sh):
# the machine they share, its servers and a virtual X server of their own.

CLSID_ROOT='HKEY_LOCAL_MACHINE\SOFTWARE\Classes\CLSID'

# The class id the fixture registers for a file name (fixture_class_id.h).
class_id() {
  python3 - "$1" <<'PY'
import sys
h = 14695981039346656037
for b in sys.argv[1].lower().encode():
    h = ((h ^ b) * 1099511628211) & 0xFFFFFFFFFFFFFFFF
print("{5EC0F1A7-0000-4000-8000-%012X}" % (h & 0xFFFFFFFFFFFF))
PY
}

# The four servers the registry announces, below drive_d, and the class keys
# an import must reset.
dialog_servers=(N/alpha.dll N/beta.dll N/gamma.ocx N/delta.dll)
reset_keys=()
for s in "${dialog_servers[@]}"; do reset_keys+=("$CLSID_ROOT\\$(class_id "${s##*/}")"); done

# The items in display order, as ui.log writes them: PlugIn_2 alpha Trace,
# PlugIn_4 Beta Console, PlugIn_3 Café Profiler (code page 1252), PlugIn_1
# Zeta Scope.
DIALOG_ITEMS='alpha Trace - D:\\N\\beta.dll;Beta Console - D:\\N\\delta.dll;Caf'$'\xe9'' Profiler - D:\\N\\gamma.ocx;Zeta Scope - D:\\N\\alpha.dll'

# dialog_machine ROOT: one installation (every processor, the current one) and a registry
# announcing four plug-ins the catalog does not know; the servers are placed
# per side by dialog_servers_for.
dialog_machine() {
  local root=$1 i server id win
  mkdir -p "$root/drive_d/Vantrel/db" "$root/drive_d/Vantrel/bin" "$root/log"
  # The installation is the tool's own (its vn_app.exe beside COMP_MGR.EXE),
  # so the start-up leaves no message that would wait for a click.
  printf 'program\r\n' >"$root/drive_d/Vantrel/bin/vn_app.exe"
  {
    printf ';---------------------------------------------------------------------------\n; Component database of the dialog tests\n;---------------------------------------------------------------------------\n;\n'
    printf '[VntInstallation_1]\nDisplayName      =Vantrel One\nProgLocation     =D:\\Vantrel\\bin\\vn_app.exe\nLastAccessDate   =\nStatus           =17\nSdkVersion       =3.0\nCpuSupport       =*\nPlugInLst_GrpName=\nGroupDescription =\nHelpFile         =\nSku              =PRO\nRegistration     =\n\n'
  } | sed 's/$/\r/' >"$root/drive_d/Vantrel/db/vnt_Compdb.ini"
  local names=("Zeta Scope" "alpha Trace" $'Caf\xe9 Profiler' "Beta Console")
  {
    printf 'REGEDIT4\n\n[HKEY_LOCAL_MACHINE\\SOFTWARE\\KOVRA\\Vantrel\\ComponentManager]\n"target"="D:\\\\Vantrel\\\\db"\n\n'
    for i in 0 1 2 3; do
      server=${dialog_servers[$i]}
      id=$(class_id "${server##*/}")
      win="D:\\${server//\//\\}"
      printf '[HKEY_LOCAL_MACHINE\\SOFTWARE\\KOVRA\\Vantrel\\Plugins\\Command Tools\\P%s]\n"CLSID"="%s"\n"DisplayName"="%s"\n\n' \
        "$i" "$id" "${names[$i]}"
      printf '[%s\\%s\\InprocServer32]\n@="%s"\n\n' "$CLSID_ROOT" "$id" "${win//\\/\\\\}"
    done
  } | sed 's/$/\r/' >"$root/registry.reg"
}

dialog_servers_for() {  # ROOT hosted|wine
  local s src
  for s in "${dialog_servers[@]}"; do
    if [ "$2" = hosted ]; then src="$COMP_MGR_BUILD/bin/fixture_plugin.so"; else src="$COMP_MGR_MINGW_BUILD/bin/fixture_plugin.dll"; fi
    mkdir -p "$(dirname "$1/drive_d/$s")"
    cp "$src" "$1/drive_d/$s"
  done
}

# start_display FIRST LAST: a virtual X server of its own on the first free
# display of FIRST..LAST (each script has its own range, so that scripts
# running side by side never share a pointer); sets $display and $xvfb_pid.
# stop_display ends it.
start_display() {
  display=""
  local n
  command -v Xvfb >/dev/null || return 1
  for n in $(seq "$1" "$2"); do
    if [ -e "/tmp/.X$n-lock" ] || [ -e "/tmp/.X11-unix/X$n" ]; then continue; fi
    Xvfb ":$n" -screen 0 1024x768x24 -nolisten tcp >/dev/null 2>&1 &
    xvfb_pid=$!
    local _
    for _ in $(seq 50); do [ -e "/tmp/.X11-unix/X$n" ] && break; sleep 0.1; done
    # A server that lost the display to another one exits at once.
    sleep 0.3
    if kill -0 "$xvfb_pid" 2>/dev/null && [ -e "/tmp/.X11-unix/X$n" ]; then
      display=":$n"
      return 0
    fi
  done
  return 1
}
stop_display() {
  [ -n "${xvfb_pid:-}" ] || return 0
  kill "$xvfb_pid" 2>/dev/null
  wait "$xvfb_pid" 2>/dev/null
}
