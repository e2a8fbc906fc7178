#!/usr/bin/env bash
# The installer round trip under Wine, in a throw-away prefix of its own
# (build/installer/wine/prefix): silent install, files, Start-menu shortcuts,
# the Startup shortcut of /AUTOCONNECT, the uninstall entry, the installed
# program, silent uninstall with and without /REMOVEDATA; then every page of
# the installer and the uninstaller, walked as a user would, with each text
# measured against its control. Builds the release first with scripts/dist.sh.
# Ends with one line "N passed, N failed".
set -uo pipefail
top=$(cd "$(dirname "$0")/.." && pwd)
cd "$top"

work=$top/build/installer
mkdir -p "$work"
. scripts/lib/checks.sh
checks_build_release "$work/dist.log"
bash scripts/build.sh windows --target installer_pages >"$work/pages-build.log" 2>&1 ||
  { tail -20 "$work/pages-build.log"; bad "build installer_pages"; finish; }
pages_exe=$top/build/windows/tests/installer_pages.exe
dist=$top/build/dist
setup=$dist/velnor-$version-setup.exe
zipfile=$dist/velnor-$version-win64.zip

# --- the portable zip -------------------------------------------------------
zip_holds_four() {
  [ "$(unzip -Z1 "$zipfile" | LC_ALL=C sort | tr '\n' ' ')" = "LICENSE THIRD-PARTY-NOTICES.txt velnor.exe 使い方.txt " ] &&
    unzip -p "$zipfile" velnor.exe | cmp -s - "$dist/stage/velnor.exe" &&
    unzip -p "$zipfile" LICENSE | cmp -s - LICENSE &&
    unzip -p "$zipfile" THIRD-PARTY-NOTICES.txt | cmp -s - THIRD-PARTY-NOTICES.txt
}
check "zip velnor-$version-win64.zip holds velnor.exe, 使い方.txt, LICENSE and THIRD-PARTY-NOTICES.txt" zip_holds_four
# Every library in the link map has its licence in the notices, and the check
# notices a library without one (pugixml's part taken out), or it proves nothing.
check "every library linked into velnor.exe has its part in THIRD-PARTY-NOTICES.txt" \
  bash scripts/check-notices.sh build/windows/src/velnor.map THIRD-PARTY-NOTICES.txt
notices_check_catches_a_gap() {
  local gap=$work/notices-without-pugixml.txt
  sed 's/^Linked from: libpugixml\.a$/Linked from:/' THIRD-PARTY-NOTICES.txt >"$gap"
  ! cmp -s "$gap" THIRD-PARTY-NOTICES.txt &&
    ! bash scripts/check-notices.sh build/windows/src/velnor.map "$gap" >"$work/notices-gap.log"
}
check "the notices check fails when a linked library (pugixml) has no part" notices_check_catches_a_gap
# Stripped (no symbol table: BFD flag HAS_SYMS 0x10 clear) and static (no
# MinGW runtime DLL among its imports).
exe_stripped_static() {
  local exe=$dist/stage/velnor.exe flags
  flags=$(LC_ALL=C x86_64-w64-mingw32-objdump -f "$exe" | sed -n 's/.*flags \(0x[0-9a-fA-F]*\).*/\1/p')
  [ -n "$flags" ] && [ $((flags & 0x10)) = 0 ] || return 1
  local dlls
  dlls=$(LC_ALL=C x86_64-w64-mingw32-objdump -p "$exe" | grep -i 'DLL Name:') || return 1
  ! grep -qiE 'libstdc|libgcc|winpthread|pugixml' <<<"$dlls"
}
check "the shipped velnor.exe is stripped and needs no MinGW runtime DLLs" exe_stripped_static
# Link-time optimisation keeps the program small; the README states its size
# as the build gives it, in round tens of KB, within 10 KB.
exe_size_as_stated() {
  local size stated
  size=$(stat -c %s "$dist/stage/velnor.exe")
  stated=$(sed -n 's/.*C++20 on the plain Win32 API, about \([0-9]*\) KB.*/\1/p' README.md)
  echo "  velnor.exe: $size bytes; the README says about ${stated:-?} KB"
  [ "$size" -le 400000 ] && [ -n "$stated" ] && [ $((size / 1024 - stated)) -le 10 ] &&
    [ $((stated - size / 1024)) -le 10 ]
}
check "the shipped velnor.exe is at most 400,000 bytes, and the README gives its size" exe_size_as_stated
# The test builds can be pointed at another system folder through the
# environment; the shipped program must carry no trace of that switch: not its
# name (in either string form) and no import that reads the environment. The
# same look at the kit's test build must find the name, or it proves nothing.
kit_switch=VELNOR_TEST_SYSTEM_FOLDER
holds_switch_name() {
  python3 -c 'import sys; d = open(sys.argv[1], "rb").read(); n = sys.argv[2]
sys.exit(0 if n.encode() in d or n.encode("utf-16-le") in d else 1)' "$1" "$kit_switch"
}
# (Imports are read into a variable first: with pipefail, "grep -q" ending a
# pipe early would turn a match into a failed pipe.)
reads_environment() {
  local imports
  imports=$(LC_ALL=C x86_64-w64-mingw32-objdump -p "$1") || return 2
  grep -qiE '\<(GetEnvironmentVariable[AW]?|_?w?getenv(_s)?)\>' <<<"$imports"
}
exe_has_no_test_switch() {
  local exe=$dist/stage/velnor.exe kitexe=$work/kit-velnor.exe
  unzip -p "$dist/velnor-$version-wintest.zip" bin/velnor.exe >"$kitexe" || return 1
  holds_switch_name "$kitexe" && reads_environment "$kitexe" ||
    { echo "  the check cannot see the switch even in the kit's test build"; return 1; }
  holds_switch_name "$exe" && { echo "  the shipped velnor.exe names $kit_switch"; return 1; }
  reads_environment "$exe"
  [ $? = 1 ] || { echo "  the shipped velnor.exe imports a function that reads the environment"; return 1; }
}
check "the shipped velnor.exe has no test switch: no VELNOR_TEST_SYSTEM_FOLDER, no environment-reading import" \
  exe_has_no_test_switch
guide_is_utf8_bom_crlf() {
  local f=$work/guide.txt
  unzip -p "$zipfile" 使い方.txt >"$f" || return 1
  [ "$(head -c 3 "$f" | od -An -tx1 | tr -d ' ')" = efbbbf ] &&
    iconv -f UTF-8 -t UTF-8 "$f" >/dev/null &&
    ! tr -d '\r' <"$f" | cmp -s - "$f" &&     # has CRs...
    ! grep -q $'[^\r]$' "$f" &&               # ...and every line ends in CR LF
    [ "$(tail -c 1 "$f" | od -An -c | tr -d ' ')" = '\n' ]
}
check "使い方.txt is UTF-8 with a byte-order mark and CR LF line ends" guide_is_utf8_bom_crlf
[ -f "$setup" ] || { bad "installer $setup was built"; finish; }

# --- the Wine prefix --------------------------------------------------------
. scripts/lib/wine-env.sh
trap velnor_wine_stop EXIT
velnor_wine_init "$work"
case ",$WINEDLLOVERRIDES," in *winemenubuilder.exe=d*) ;; *) bad "winemenubuilder disabled"; finish ;; esac
velnor_xvfb_start "$work/xvfb" || { bad "Xvfb started"; finish; }

user=${USER:-$(id -un)}
profile=$WINEPREFIX/drive_c/users/$user
inst=$profile/AppData/Local/Programs/Velnor
inst_win="C:\\users\\$user\\AppData\\Local\\Programs\\Velnor"
menu=$profile/AppData/Roaming/Microsoft/Windows/Start\ Menu/Programs
data_parent=$profile/AppData/Roaming/Orvo\ Project
data=$data_parent/Velnor
key='HKCU\Software\Microsoft\Windows\CurrentVersion\Uninstall\Velnor'
main_lnk=$menu/Velnor.lnk
connect_lnk=$menu/"Velnor (接続).lnk"
[ -d "$profile" ] || { bad "the prefix has the user folder $profile"; finish; }
# Wine spells it "StartUp"; Windows' names are case-insensitive.
startup=$(find "$menu" -maxdepth 1 -type d -iname startup | head -n 1)
[ -n "$startup" ] || { bad "the prefix has a Startup folder in $menu"; finish; }
startup_lnk=$startup/"Velnor (接続).lnk"

# Leftovers of an earlier run would hide a failure to install or to remove.
rm -rf "$inst" "$data_parent" "$main_lnk" "$connect_lnk" "$startup_lnk"
wine reg delete "$key" /f </dev/null >/dev/null 2>&1
wineserver -w

key_exists() { wine reg query "$key" </dev/null >/dev/null 2>&1; }
# Waits for every process of the prefix: an NSIS uninstaller copies itself to
# the temporary folder, starts the copy and returns at once.
settle() { timeout 60 wineserver -w; }

# Prints the target path, the arguments and the show command of a shell link,
# one per line.
lnk_fields() {
  python3 - "$1" <<'PY'
import struct, sys
d = open(sys.argv[1], 'rb').read()
assert d[:4] == b'L\0\0\0', 'not a shell link'
flags, = struct.unpack_from('<I', d, 0x14)
show, = struct.unpack_from('<I', d, 0x3c)
p = 0x4c
if flags & 0x1:                                   # HasLinkTargetIDList
    n, = struct.unpack_from('<H', d, p); p += 2 + n
target = ''
if flags & 0x2:                                   # HasLinkInfo
    size, _, info_flags, _, base, _, suffix = struct.unpack_from('<7I', d, p)
    if info_flags & 1:
        cstr = lambda o: d[p + o:d.index(b'\0', p + o)].decode('cp932')
        target = cstr(base) + cstr(suffix)
    p += size
strings = {}
for bit in (0x4, 0x8, 0x10, 0x20, 0x40):          # name, relative path, working dir, arguments, icon
    if flags & bit:
        n, = struct.unpack_from('<H', d, p); p += 2
        if flags & 0x80:
            v = d[p:p + 2 * n].decode('utf-16-le'); p += 2 * n
        else:
            v = d[p:p + n].decode('cp932'); p += n
        strings[bit] = v.rstrip('\0')
print(target)
print(strings.get(0x20, ''))
print(show)
PY
}
# link_is LINK TARGET ARGUMENTS [SHOW]: SHOW 1 is normal, 7 minimised and not
# activated.
link_is() {
  local fields want_target=$2 want_args=$3 want_show=${4:-1}
  [ -f "$1" ] || return 1
  mapfile -t fields < <(lnk_fields "$1")
  [ ${#fields[@]} = 3 ] || return 1
  [ "${fields[0],,}" = "${want_target,,}" ] && [ "${fields[1]}" = "$want_args" ] && [ "${fields[2]}" = "$want_show" ]
}

installed_files_present() {
  cmp -s "$inst/velnor.exe" "$dist/stage/velnor.exe" &&
    cmp -s "$inst/使い方.txt" docs/使い方.txt && cmp -s "$inst/LICENSE" LICENSE &&
    cmp -s "$inst/THIRD-PARTY-NOTICES.txt" THIRD-PARTY-NOTICES.txt && [ -f "$inst/uninstall.exe" ]
}
installed_files_gone() {
  [ ! -e "$inst/velnor.exe" ] && [ ! -e "$inst/使い方.txt" ] && [ ! -e "$inst/LICENSE" ] &&
    [ ! -e "$inst/THIRD-PARTY-NOTICES.txt" ] && [ ! -e "$inst/uninstall.exe" ]
}

# The values of the uninstall entry, from "reg export" (a UTF-16 file).
uninstall_entry_right() {
  local reg=$work/uninstall.reg text esc
  rm -f "$reg"
  wine reg export "$key" "$(velnor_winpath "$reg")" /y </dev/null >/dev/null 2>&1 || return 1
  text=$(iconv -f UTF-16 -t UTF-8 "$reg" | tr -d '\r') || return 1
  esc=${inst_win//\\/\\\\}
  local line
  for line in '"DisplayName"="Velnor"' "\"DisplayVersion\"=\"$version\"" '"Publisher"="Orvo Project"' \
      "\"UninstallString\"=\"\\\"$esc\\\\uninstall.exe\\\"\"" "\"InstallLocation\"=\"$esc\"" \
      '"NoModify"=dword:00000001' '"NoRepair"=dword:00000001'; do
    grep -qFx -- "$line" <<<"$text" || { echo "  missing: $line"; return 1; }
  done
}

# --- round 1: install, run, uninstall keeping the data ----------------------
wine "$setup" /S </dev/null >"$work/setup1.log" 2>&1
check "silent install (setup.exe /S) exits with 0" [ $? = 0 ]
check "velnor.exe, 使い方.txt, LICENSE, THIRD-PARTY-NOTICES.txt and uninstall.exe are in the local programs folder" installed_files_present
check "Start menu: Velnor.lnk starts velnor.exe without arguments" link_is "$main_lnk" "$inst_win\\velnor.exe" ""
check "Start menu: Velnor (接続).lnk starts velnor.exe /s" link_is "$connect_lnk" "$inst_win\\velnor.exe" "/s"
check "a default install puts nothing into the Startup folder" [ ! -e "$startup_lnk" ]
check "uninstall entry $key exists" key_exists
check "uninstall entry holds name, version $version, publisher, paths, NoModify, NoRepair" uninstall_entry_right

wine "$inst/velnor.exe" </dev/null >"$work/velnor.log" 2>&1 &
app=$!
# The main window's creation writes Velnor.xml, after the data folder and the
# single-instance guard exist: wait for it (generously, the machine may be
# busy), then the program must still be running.
for _ in $(seq 300); do [ -f "$data/Velnor.xml" ] && break; kill -0 $app 2>/dev/null || break; sleep 0.1; done
check "it created its data folder %APPDATA%\\Orvo Project\\Velnor with Velnor.xml" [ -f "$data/Velnor.xml" ]
check "the installed velnor.exe is still running once it has" kill -0 $app
wine "$setup" /S </dev/null >"$work/setup-busy.log" 2>&1
rc=$?
check "a silent install while Velnor runs gives up with exit code 2 (got $rc)" [ $rc = 2 ]
# Closing the window (WM_CLOSE) lets the program save its settings.
wine taskkill /im velnor.exe </dev/null >/dev/null 2>&1
for _ in $(seq 100); do kill -0 $app 2>/dev/null || break; sleep 0.1; done
if kill -0 $app 2>/dev/null; then
  bad "Velnor ends when its window is closed"
  wineserver -k
  wait $app 2>/dev/null
else
  wait $app
  rc=$?
  check "Velnor ends with exit code 0 when its window is closed (got $rc)" [ $rc = 0 ]
fi
check "it saved Velnor.xml in the data folder" grep -q '<Window>' "$data/Velnor.xml"
settle

cp "$data/Velnor.xml" "$work/Velnor.xml.before"
wine "$inst/uninstall.exe" /S </dev/null >"$work/uninstall1.log" 2>&1
rc=$?
settle
check "silent uninstall (uninstall.exe /S) exits with 0" [ $rc = 0 ]
check "the program files and the install folder are gone" eval 'installed_files_gone && [ ! -e "$inst" ]'
check "both Start-menu shortcuts are gone" eval '[ ! -e "$main_lnk" ] && [ ! -e "$connect_lnk" ]'
check "the uninstall entry is gone" eval '! key_exists'
check "the data folder and Velnor.xml are kept by a silent uninstall" cmp -s "$data/Velnor.xml" "$work/Velnor.xml.before"

# --- round 2: install with /AUTOCONNECT, again without, uninstall with /REMOVEDATA
wine "$setup" /S /AUTOCONNECT </dev/null >"$work/setup2.log" 2>&1
rc1=$?
check "/AUTOCONNECT: Startup\\Velnor (接続).lnk starts velnor.exe /s minimised" \
  link_is "$startup_lnk" "$inst_win\\velnor.exe" "/s" 7
wine "$setup" /S </dev/null >"$work/setup3.log" 2>&1
rc2=$?
check "installing again, and over an installed copy, exits with 0 (got $rc1, $rc2)" [ $rc1 = 0 ] && [ $rc2 = 0 ]
check "the files are in place after installing over the installed copy" installed_files_present
check "installing over it without /AUTOCONNECT keeps the Startup shortcut" \
  link_is "$startup_lnk" "$inst_win\\velnor.exe" "/s" 7
mkdir -p "$data"
printf 'Disable\r\n' >"$data/Disable.lst"
mkdir -p "$data_parent/Other" "$inst/mine"
echo keep >"$data_parent/Other/keep.txt"
echo keep >"$inst/mine/notes.txt"
wine "$inst/uninstall.exe" /S /REMOVEDATA </dev/null >"$work/uninstall2.log" 2>&1
rc=$?
settle
check "silent uninstall with /REMOVEDATA exits with 0" [ $rc = 0 ]
check "/REMOVEDATA removes the data folder with Velnor.xml and Disable.lst" [ ! -e "$data" ]
check "it keeps another program's folder under Orvo Project" [ -f "$data_parent/Other/keep.txt" ]
check "it removes only the installed files, not the user's own files in the install folder" \
  eval 'installed_files_gone && [ -f "$inst/mine/notes.txt" ]'
check "shortcuts, the Startup shortcut and the uninstall entry are gone after the second uninstall" \
  eval '[ ! -e "$main_lnk" ] && [ ! -e "$connect_lnk" ] && [ ! -e "$startup_lnk" ] && ! key_exists'

# --- round 3: the pages, as a user sees them ---------------------------------
# installer_pages.exe clicks through the installer (Next, Install, Finish with
# nothing started) and the uninstaller (Delete, No to the data folder, Close),
# and measures every label, button and option in the installer's own font:
# a text that needs more room than its control is cut on the screen. Its
# pictures of the pages stay in build/installer/pages.
pages_fit() {
  local face size log=$work/pages.log
  face=$(sed -n 's/^SetFont \/LANG=${LANG_JAPANESE} "\([^"]*\)" \([0-9]*\)/\1/p' installer/velnor.nsi)
  size=$(sed -n 's/^SetFont \/LANG=${LANG_JAPANESE} "\([^"]*\)" \([0-9]*\)/\2/p' installer/velnor.nsi)
  [ -n "$face" ] && [ -n "$size" ] || { echo "  no SetFont line for Japanese in installer/velnor.nsi"; return 1; }
  rm -rf "$work/pages"
  timeout 300 wine "$pages_exe" "$(velnor_winpath "$setup")" "$inst_win" "$face" "$size" \
    "$(velnor_winpath "$work/pages")" </dev/null >"$log" 2>"$work/pages.err"
  local rc=$?
  grep -a '^PROBLEM' "$log" | sed 's/^/  /'
  [ $rc = 0 ] && grep -aq '^0 problems' "$log" && grep -aq '^fits setup page 2: option' "$log" &&
    grep -aq '^fits uninstall page 1:' "$log"
}
check "every page of the installer and the uninstaller shows its words whole: no text wider or taller than its control, no half-width katakana, no sideways scroll among the components (log: build/installer/pages.log)" \
  pages_fit
settle

finish
