#!/usr/bin/env bash
# The Windows test kit under Wine, used as a person would use it on Windows:
# unzipped into a fresh folder, run-tests.cmd started through cmd.exe, and
# then its report checked. The simulator is the prefix's own netsh here; a
# calls log beside it shows that only the kit's read-only probe started it.
# Builds the kit first with scripts/dist.sh. Ends with "N passed, N failed".
set -uo pipefail
top=$(cd "$(dirname "$0")/.." && pwd)
cd "$top"

work=$top/build/kit-test
mkdir -p "$work"
. scripts/checks.sh
checks_build_release "$work/dist.log"
kitzip=$top/build/dist/velnor-$version-wintest.zip

zip_holds_the_kit() {
  [ "$(unzip -Z1 "$kitzip" | LC_ALL=C sort | tr '\n' ' ')" = "README.txt bin/e2e_tests.exe bin/kit-runner.exe \
bin/system/netsh.exe bin/unit_tests.exe bin/velnor.exe bin/velnor_faults.exe bin/velnor_notheme.exe \
bin/win_tests.exe run-tests.cmd sample/state.ini try-velnor.cmd " ]
}
check "velnor-$version-wintest.zip holds the two scripts, README.txt, the runner, three layers, three test builds, the simulator and its sample" \
  zip_holds_the_kit

# A fresh folder for every run, with a space and Japanese in its path.
rm -rf "$work"/run.*
run=$(mktemp -d "$work/run.XXXXXX")
kit="$run/テスト キット"
mkdir -p "$kit"
unzip -q "$kitzip" -d "$kit" || { bad "the kit unzips"; finish; }
report=$kit/report

. scripts/wine-env.sh
trap velnor_wine_stop EXIT
velnor_wine_init "$top/build/windows"
velnor_xvfb_start "$top/build/windows/xvfb" || { bad "Xvfb started"; finish; }
velnor_wine_install_netsh "$top/build/windows/tools/netsh-sim/netsh.exe"
unset NETSH_SIM_DIR VELNOR_SHOT_DIR VELNOR_PICTURE_DIR VELNOR_TEST_SYSTEM_FOLDER

# The prefix's own netsh records every start of itself; its scenario is what
# the probe reads.
calls=$WINEPREFIX/drive_c/windows/system32/netsh.exe.calls.log
: >"$calls"
sim=$WINEPREFIX/drive_c/netsh-sim
rm -rf "$sim"
mkdir -p "$sim"
printf 'profile=自宅\r\nprofile=Cafe & Bar\r\nconnected=自宅\r\n' >"$sim/state.ini"

# Settings of a Velnor user, which the kit must put back as they were.
user=${USER:-$(id -un)}
orvo=$WINEPREFIX/drive_c/users/$user/AppData/Roaming/Orvo\ Project
rm -rf "$orvo" "$orvo (moved aside by the Velnor test kit)"
mkdir -p "$orvo/Velnor" "$orvo/Other"
printf '<?xml version="1.0"?>\r\n<Velnor><Profile>mine</Profile></Velnor>\r\n' >"$orvo/Velnor/Velnor.xml"
echo keep >"$orvo/Other/keep.txt"
rm -rf "$work/orvo.before"
cp -a "$orvo" "$work/orvo.before"

# With Velnor running, every whole-program test would meet "another copy":
# the kit must refuse at once, before any layer runs.
running=$run/running
mkdir -p "$running/sim"
cp "$top/build/windows/src/velnor.exe" "$running/velnor.exe"
printf 'profile=Home\r\n' >"$running/sim/state.ini"
NETSH_SIM_DIR=$(velnor_winpath "$running/sim") wine "$running/velnor.exe" /p </dev/null >/dev/null 2>&1 &
velnor_pid=$!
for _ in $(seq 150); do
  grep -q '^cmd=.*show profile' "$running/sim/journal.log" 2>/dev/null && break
  sleep 0.1
done
(cd "$kit" && wine cmd /c run-tests.cmd </dev/null >"$work/refused.log" 2>&1)
rc=$?
(cd "$kit" && wine cmd /c try-velnor.cmd </dev/null >"$work/try-refused.log" 2>&1)
try_rc=$?
kill "$velnor_pid" 2>/dev/null
wait "$velnor_pid" 2>/dev/null
refused() {
  [ "$rc" != 0 ] && [ ! -e "$report/unit.xml" ] &&
    grep -q '^FAIL kit: Velnor is running: close it' <(tr -d '\r' <"$report/summary.txt") &&
    [ "$(tail -n 1 "$report/summary.txt" | tr -d '\r')" = "0 passed, 1 failed" ]
}
check "with Velnor running the kit stops before any layer, says why and ends \"0 passed, 1 failed\" (exit $rc)" refused
check "with Velnor running try-velnor.cmd says so and starts nothing (exit $try_rc)" \
  eval '[ "$try_rc" = 1 ] && grep -q "Velnor is running: close it" "$work/try-refused.log" && [ ! -e "$kit/sample/app" ]'

# Started from inside the zip (Explorer runs a lone copy of the script from a
# temporary folder): no bin folder beside it. Both scripts say so, in Japanese
# and English, end with a non-zero exit code and point at no report.
nobin=$run/nobin
mkdir -p "$nobin"
cp "$kit/run-tests.cmd" "$kit/try-velnor.cmd" "$nobin/"
(cd "$nobin" && wine cmd /c run-tests.cmd </dev/null >"$work/nobin.log" 2>&1)
nobin_rc=$?
(cd "$nobin" && wine cmd /c try-velnor.cmd </dev/null >"$work/nobin-try.log" 2>&1)
nobin_try_rc=$?
said_no_bin() {
  # The Japanese line in the console's code page (932), and the English one.
  grep -qF "$(printf 'bin フォルダーが見つかりません' | iconv -f UTF-8 -t CP932)" "$1" &&
    grep -q "The bin folder is missing" "$1"
}
check "without its bin folder run-tests.cmd says so, ends with exit code 2 (got $nobin_rc) and writes no report" \
  eval '[ "$nobin_rc" = 2 ] && said_no_bin "$work/nobin.log" && ! grep -q "The report is in" "$work/nobin.log" && [ ! -e "$nobin/report" ]'
check "without its bin folder try-velnor.cmd says so and ends with exit code 2 (got $nobin_try_rc)" \
  eval '[ "$nobin_try_rc" = 2 ] && said_no_bin "$work/nobin-try.log"'
wineserver -w
: >"$calls"

echo "kit: running run-tests.cmd in $kit"
start=$(date +%s)
# A sample of the whole-program layer that reaches every part of the report:
# the layers themselves ran in full against the build just before.
(cd "$kit" && VELNOR_KIT_SAMPLE=1 wine cmd /c run-tests.cmd </dev/null >"$work/run-tests.log" 2>&1)
rc=$?
echo "kit: run-tests.cmd took $(($(date +%s) - start)) s"
wineserver -w
summary=$report/summary.txt
last=$(tail -n 1 "$summary" 2>/dev/null | tr -d '\r')
check "run-tests.cmd ended with exit code 0 (got $rc) and report\\summary.txt ends in \"N passed, 0 failed\" ($last)" \
  eval '[ $rc = 0 ] && [[ $last =~ ^[1-9][0-9]*\ passed,\ 0\ failed$ ]]'
check "the console showed the same last line" grep -qF "$last" "$work/run-tests.log"
check "summary.txt is UTF-8 with a byte-order mark and CR LF line ends" \
  eval '[ "$(head -c 3 "$summary" | od -An -tx1 | tr -d " ")" = efbbbf ] && ! grep -q $'"'"'[^\r]$'"'"' "$summary"'

# Counts in a GoogleTest XML file, read with xmllint.
xml_count() { xmllint --xpath "count($2)" "$1" 2>/dev/null || echo 0; }
every_layer_ran() {
  local layer t
  for layer in unit win e2e; do
    [ -s "$report/$layer.xml" ] || { echo "  no $layer.xml"; return 1; }
    t=$(xml_count "$report/$layer.xml" '//testcase')
    [ "${t:-0}" -gt 0 ] || { echo "  $layer.xml holds no tests"; return 1; }
    grep -q "^$layer: [0-9]* passed" <(tr -d '\r' <"$summary") || { echo "  no $layer line"; return 1; }
  done
}
check "every layer ran and wrote its JUnit XML (unit, win, e2e)" every_layer_ran
summary_matches_junit() {
  local p=0 f=0 layer x t fl d s
  for layer in unit win e2e; do
    x=$report/$layer.xml
    t=$(xml_count "$x" '//testcase[@result="completed" and not(failure)]'); fl=$(xml_count "$x" '//testcase[failure]')
    p=$((p + t)); f=$((f + fl))
    # ...and the per-test lines of the summary say the same.
    [ "$(tr -d '\r' <"$summary" | grep -c "^PASS $layer ")" = "$t" ] || { echo "  $layer PASS lines"; return 1; }
  done
  echo "  JUnit: $p passed, $f failed; summary: $last"
  [ "$last" = "$p passed, $f failed" ]
}
check "the summary line and the PASS lines match the JUnit files" summary_matches_junit

pictures_exist() {
  python3 - "$report/pictures" <<'PY'
import os, struct, sys
d = sys.argv[1]
names = sorted(f for f in os.listdir(d) if f.endswith('.bmp'))
for want in ('main-listing', 'main-during-slow-connect', 'list-editor', 'list-editor-ticked'):
    assert want + '.bmp' in names, 'no picture ' + want
assert len(names) >= 10, 'only %d pictures' % len(names)
for n in names:
    b = open(os.path.join(d, n), 'rb').read()
    assert b[:2] == b'BM' and struct.unpack_from('<I', b, 2)[0] == len(b), n + ' is no whole BMP'
    off, = struct.unpack_from('<I', b, 10)
    w, h, _, bits = struct.unpack_from('<iiHH', b, 18)
    assert w > 0 and h > 0 and bits == 24, n
    stride = (w * 3 + 3) & ~3
    colours = {b[off + y * stride + x * 3: off + y * stride + x * 3 + 3] for y in range(0, h, 3) for x in range(0, w, 3)}
    assert len(colours) > 3, n + ' shows nothing (%d colours)' % len(colours)
print('  %d pictures' % len(names))
PY
}
check "report\\pictures holds a picture of each window state, each a whole BMP that shows something" pictures_exist

only_probe_reached_the_prefix_netsh() {
  local got
  got=$(tr -d '\r' <"$calls" | grep '^cmd=' | sed 's/^cmd=//')
  [ "$got" = "netsh wlan show profile 
netsh wlan show interface " ] || { echo "  the prefix's netsh ran for:"; tr -d '\r' <"$calls" | grep '^cmd=' | head; return 1; }
}
check "the prefix's own netsh ran only for the probe's show profile and show interface" only_probe_reached_the_prefix_netsh
# Every record of a journal names the kit's own simulator.
only_the_kit_copy_ran() {
  local programs
  programs=$(tr -d '\r' <"$1" | grep '^exe=') || return 1
  ! grep -qv 'テスト キット\\bin\\system\\netsh.exe$' <<<"$programs"
}
kit_netsh_ran() {
  local n said
  n=$(tr -d '\r' <"$kit/bin/system/netsh.exe.calls.log" | grep -c '^cmd=')
  said=$(tr -d '\r' <"$summary" | sed -n "s/^The kit's simulated netsh ran \([0-9]*\) times.*/\1/p")
  echo "  $n calls on record, the summary says ${said:-nothing}"
  # A netsh left behind by a program a test killed may still append after the
  # runner counted, so the record may hold a few more.
  [ "${said:-0}" -gt 10 ] && [ "$said" -le "$n" ] && [ "$n" -le $((said + 5)) ] &&
    only_the_kit_copy_ran "$kit/bin/system/netsh.exe.calls.log"
}
check "the tests reached the kit's own netsh, and the summary counts its calls" kit_netsh_ran

probe_reported() {
  local s
  s=$(tr -d '\r' <"$summary")
  grep -qxF 'Velnor would list 2 profile(s):' <<<"$s" && grep -qxF '  [ 自宅]' <<<"$s" &&
    grep -qxF '  [ Cafe & Bar]' <<<"$s" &&
    grep -qE '^Velnor would consider the machine connected, by the line: \[ *状態 *: 接続されました\]$' <<<"$s" &&
    grep -qF 'may contain the names of wireless networks' <<<"$s" &&
    grep -qF $'\x8e\xa9\x91\xee' "$report/probe/show-profile.txt" &&      # 自宅 in the ANSI code page
    grep -qF $'\x90\xda\x91\xb1\x82\xb3\x82\xea\x82\xdc\x82\xb5\x82\xbd' "$report/probe/show-interface.txt"  # 接続されました
}
check "the probe reports what Velnor would list and the connected state, beside the raw captures" probe_reported

facts_reported() {
  local s line
  s=$(tr -d '\r' <"$summary")
  for line in '^Windows: [0-9]+\.[0-9]+ build [0-9]+' '^Display language: ja-JP \(0x0411\)' 'ANSI code page 932' \
      '^DPI: system 96 \(100 %\)' '^Monitor 1: .* primary, \(0,0\)-\(1280,1024\)' '^High contrast: off' \
      '^Visual styles: (on|off)' '^Built by: GNU [0-9.]+ \(.+\), Release' '^Compiler flags: .*-Wall'; do
    grep -qE "$line" <<<"$s" || { echo "  missing: $line"; return 1; }
  done
}
check "the summary names Windows version and build, language, DPI, monitors, high contrast, theme and compiler" \
  facts_reported
check "the user's own Velnor settings are back as they were, and nothing is left aside" \
  eval 'diff -r "$work/orvo.before" "$orvo" && [ ! -e "$orvo (moved aside by the Velnor test kit)" ]'

# Last, as it leaves a window open: the eye-check helper starts the test build
# against the kit's simulator and its sample profiles, never the prefix's
# netsh.
(cd "$kit" && wine cmd /c try-velnor.cmd </dev/null >"$work/try-velnor.log" 2>&1)
sample_journal=$kit/sample/journal.log
try_velnor_uses_the_sample() {
  local i
  for i in $(seq 150); do
    grep -q '^cmd=.*wlan show profile' "$sample_journal" 2>/dev/null && break
    sleep 0.1
  done
  grep -q '^cmd=.*wlan show profile' "$sample_journal" 2>/dev/null && only_the_kit_copy_ran "$sample_journal" &&
    only_probe_reached_the_prefix_netsh
}
check "try-velnor.cmd starts the test build listing the sample profiles from the kit's simulator" try_velnor_uses_the_sample

finish
