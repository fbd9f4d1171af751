#!/usr/bin/env bash
# Runs an installer and its uninstaller silently in a fresh Wine prefix of their own,
# as a user on 64-bit Windows would, and checks what each leaves behind:
#   after installing: the DLLs and the uninstaller in place, each DLL's registration in
#   its registry view (the 32-bit DLL in the 32-bit view, the 64-bit one in the 64-bit
#   view), the uninstall entry, and the development host finding the bar through its
#   component category and showing the band's controls;
#   after uninstalling: no file and no key of the product's own in either view, while
#   the product key and a script the user wrote in the script location are still there.
#   install-uninstall.sh INSTALLER STAGE BIN OUT
#     INSTALLER  the shipped 32-bit installer, or the 64-bit variant
#     STAGE      the DLLs it should install: STAGE/x86/Pelmora.dll (shipped only) and
#                STAGE/x64/Pelmora.dll
#     BIN        the folder of bandhost.exe (the host of the build under test)
#     OUT        the prefix goes to OUT/prefix, the tour and its transcript to OUT
set -euo pipefail
root=$(cd "$(dirname "$0")/../.." && pwd)
[[ $# -eq 4 ]] || { echo "usage: $0 INSTALLER STAGE BIN OUT" >&2; exit 2; }
installer=$(cd "$(dirname "$1")" && pwd)/$(basename "$1")
stage=$(cd "$2" && pwd)
bin=$(cd "$3" && pwd)
mkdir -p "$4"
out=$(cd "$4" && pwd -P)

windows_path() { local path=${1//\//\\}; echo "Z:$path"; }
failures=0
fail() { echo "FAILED: $*" >&2; failures=$((failures + 1)); }
pass() { echo "ok: $*"; }

prefix=$out/prefix
"$root/cmake/wine-prefix.sh" create "$prefix" >/dev/null
export WINEPREFIX=$prefix WINEDEBUG=-all WINEDLLOVERRIDES="mscoree,mshtml=" WINELOADER=/usr/lib/wine/wine64
wine() { /usr/lib/wine/wine64 "$@" 2>/dev/null | tr -d '\r'; }
settle() { /usr/lib/wine/wineserver -w; }
# The value of NAME ("" for the default value) of KEY in registry VIEW (32 or 64), or
# nothing when either is absent.
reg_value() {
  local view=$1 key=$2 name=$3 option=(/v "$3")
  [[ -n $name ]] || option=(/ve)
  wine reg query "$key" "${option[@]}" "/reg:$view" | sed -n 's/^    [^ ].*    REG_[A-Z_]*    //p'
}
key_exists() { /usr/lib/wine/wine64 reg query "$2" "/reg:$1" >/dev/null 2>&1; }
expect_value() {
  local view=$1 key=$2 name=$3 expected=$4 actual
  actual=$(reg_value "$view" "$key" "$name")
  if [[ $actual == "$expected" ]]; then pass "($view-bit) $key ${name:-(default)} = $actual"
  else fail "($view-bit) $key ${name:-(default)} is '$actual', expected '$expected'"; fi
}
drive_c_files() { (cd "$prefix/drive_c" && find . -type f | sort); }

clsid='{EC3B8349-CAB2-4E10-AF31-69E1BA5031A0}'
clsid_key="HKCR\\CLSID\\$clsid"
bar_key="HKLM\\Software\\Microsoft\\Internet Explorer\\Explorer Bars\\$clsid"
uninstall_key='HKLM\Software\Microsoft\Windows\CurrentVersion\Uninstall\Pelmora'
product_key='HKCU\SOFTWARE\Halvenne\Pelmora'
# The shipped installer is a 32-bit program: on 64-bit Windows it installs below
# "Program Files (x86)", both DLLs, and writes its uninstall entry in the 32-bit view.
# The host of the build under test finds the DLL of its own bitness.
if [[ -d $stage/x86 ]]; then
  install_dir='C:\Program Files (x86)\Pelmora' unix_install_dir="$prefix/drive_c/Program Files (x86)/Pelmora"
  folders=(x64 x86) installer_view=32
else
  install_dir='C:\Program Files\Pelmora' unix_install_dir="$prefix/drive_c/Program Files/Pelmora"
  folders=(x64) installer_view=64
fi
view_of() { [[ $1 == x86 ]] && echo 32 || echo 64; }
host_folder=x64
[[ $(i686-w64-mingw32-objdump -f "$bin/bandhost.exe" 2>/dev/null) == *pei-i386* ]] && host_folder=x86
drive_c_files > "$out/files-before.txt"

# An install that fails halfway undoes itself: registration refuses a DLL path of 260
# characters or more, so a folder this long gets the DLL copied, its registration
# refused, and then everything taken away again.
long_dir='C:\Pelmora'
while (( ${#long_dir} < 250 )); do long_dir+='\a-folder-with-a-long-name'; done
echo "== $(basename "$installer") /S /D=${long_dir:0:40}... (${#long_dir} characters)"
status=0
wine "$(windows_path "$installer")" /S "/D=$long_dir" || status=$?
settle
(( status == 2 )) && pass "the failed install exited with 2" || fail "the failed install exited with $status, expected 2"
[[ -e $(/usr/lib/wine/wine64 winepath -u "$long_dir" 2>/dev/null) ]] && fail "the failed install left its folder" \
  || pass "the failed install removed its folder"
for view in 32 64; do
  for key in "$clsid_key" "$uninstall_key"; do
    key_exists $view "$key" && fail "the failed install left $key ($view-bit)" \
      || pass "the failed install left no $key ($view-bit)"
  done
done
drive_c_files > "$out/files-after-failure.txt"
left=$(comm -13 "$out/files-before.txt" "$out/files-after-failure.txt" | { grep -i pelmora || true; })
[[ -z $left ]] && pass "the failed install left no file of its own" || fail "the failed install left $left"

echo "== $(basename "$installer") /S"
status=0
wine "$(windows_path "$installer")" /S || status=$?
settle
(( status == 0 )) && pass "the installer exited with 0" || fail "the installer exited with $status"
for folder in "${folders[@]}"; do
  if cmp -s "$stage/$folder/Pelmora.dll" "$unix_install_dir/$folder/Pelmora.dll"; then
    pass "$install_dir\\$folder\\Pelmora.dll is the built DLL"
  else fail "$install_dir\\$folder\\Pelmora.dll is missing or not the built DLL"; fi
done
[[ -f $unix_install_dir/Uninstall.exe ]] && pass "$install_dir\\Uninstall.exe is there" \
  || fail "$install_dir\\Uninstall.exe is missing"
installed=$( (cd "$unix_install_dir" && find . -type f | sort | tr '\n' ' ') )
expected_files=$( { echo ./Uninstall.exe; printf './%s/Pelmora.dll\n' "${folders[@]}"; } | sort | tr '\n' ' ')
[[ $installed == "$expected_files" ]] && pass "nothing else is installed" \
  || fail "the install folder holds $installed"

# What each DLL's registration writes, through the regsvr32 of its bitness, into the
# registry view of its bitness.
for folder in "${folders[@]}"; do
  view=$(view_of "$folder")
  expect_value "$view" "$clsid_key" '' Pelmora
  expect_value "$view" "$clsid_key\\InprocServer32" '' "$install_dir\\$folder\\Pelmora.dll"
  expect_value "$view" "$clsid_key\\InprocServer32" ThreadingModel Apartment
  key_exists "$view" "$clsid_key\\Implemented Categories\\{00021493-0000-0000-C000-000000000046}" \
    && pass "the bar is in the vertical Explorer Bar category ($view-bit)" \
    || fail "the bar's category key is missing ($view-bit)"
  expect_value "$view" "$bar_key" BarSize 9301000000000000
done
# The uninstall entry that Windows lists under installed programs.
expect_value $installer_view "$uninstall_key" DisplayName Pelmora
expect_value $installer_view "$uninstall_key" DisplayVersion 1.0.40325.24744
expect_value $installer_view "$uninstall_key" Publisher Halvenne
expect_value $installer_view "$uninstall_key" UninstallString "\"$install_dir\\Uninstall.exe\""
expect_value $installer_view "$uninstall_key" QuietUninstallString "\"$install_dir\\Uninstall.exe\" /S"

# The user's side: the DLL made the script location when regsvr32 loaded it. A script
# and a setting of the user's own must outlive the uninstall.
location=$(reg_value 64 "$product_key" ScriptLocation)
[[ -n $location ]] || { fail "$product_key has no ScriptLocation"; exit 1; }
unix_location=$(realpath -m "$(/usr/lib/wine/wine64 winepath -u "$location" 2>/dev/null)")
[[ -d $unix_location ]] || { fail "the script location '$location' does not exist"; exit 1; }
user_script=$unix_location/{34A715A0-6587-11D0-924A-0020AFC7AC4D}/mine.WSC
mkdir -p "$(dirname "$user_script")"
printf '<?xml version="1.0"?>\r\n<component>\r\n<!-- written by the user -->\r\n</component>\r\n' > "$user_script"
cp "$user_script" "$out/user-script.WSC"
wine reg add "$product_key" /v LogErrors /t REG_DWORD /d 7 /f >/dev/null
settle

# The host finds the bar as the browser does (no --clsid) and shows it: the band's
# main-script tree lists the user's script, and About opens the bar's own dialog.
cat > "$out/tour.txt" <<EOF
# The installed bar at work: its tree, its list and its About box.
expect-transcript host: bar "Pelmora" {EC3B8349-CAB2-4E10-AF31-69E1BA5031A0} in $install_dir\\$host_folder\\Pelmora.dll
select 209 \mine.WSC
expect-not-attached mine.WSC
click 219
expect-transcript dialog: "About Pelmora": Pelmora Tool Version: 1.0.40325.24744
quit
EOF
host=(/usr/lib/wine/wine64 "$(windows_path "$bin/bandhost.exe")" --width 440 --script "$(windows_path "$out/tour.txt")")
# Several suites may start an Xvfb at once: searching from a random number keeps
# them from picking the same display.
[[ -n ${DISPLAY:-} ]] || host=(xvfb-run -a -n $((RANDOM % 400 + 100)) -s "-screen 0 1280x1024x24" "${host[@]}")
echo "== bandhost --script tour.txt"
status=0
"${host[@]}" 2>/dev/null | tr -d '\r' | tee "$out/transcript.txt" || status=$?
settle
(( status == 0 )) && pass "the host found the installed bar and every tour step held" \
  || fail "the host exited with $status (see the failed: lines above)"

echo "== Uninstall.exe /S"
status=0
wine "$install_dir\\Uninstall.exe" /S || status=$?
# Uninstall.exe starts a copy of itself in the temporary folder, which does the work,
# and exits: its exit code says only that the copy started. Wait for the copy.
settle
(( status == 0 )) && pass "the uninstaller started" || fail "the uninstaller exited with $status"
[[ -e $unix_install_dir ]] && fail "$install_dir is still there: $(cd "$unix_install_dir" && find . | tr '\n' ' ')" \
  || pass "$install_dir is gone"
for view in 32 64; do
  for key in "$clsid_key" "$bar_key" "$uninstall_key"; do
    key_exists $view "$key" && fail "$key is still there ($view-bit)" || pass "$key is gone ($view-bit)"
  done
done
key_exists 64 'HKCR\CLSID' && key_exists 64 'HKLM\Software\Microsoft\Internet Explorer\Explorer Bars' \
  && pass "the shared parent keys stay" || fail "a shared parent key (HKCR\\CLSID or Explorer Bars) is gone"

# No file of the product's own anywhere: every file that is new since before the install
# is in the script location (the user's script, the log).
drive_c_files > "$out/files-after.txt"
location_below_c=./${unix_location#"$prefix/drive_c/"}/
left=$(comm -13 "$out/files-before.txt" "$out/files-after.txt" | { grep -v -F "$location_below_c" || true; })
[[ -z $left ]] && pass "no new file outside the script location" || fail "files left behind: $left"
# No key of the product's own: nothing in the machine's registry names the bar or the
# product, and in the user's only the product key does.
if grep -q -i -e "$clsid" -e pelmora -e halvenne "$prefix/system.reg"; then
  fail "the machine's registry still names the product: $(grep -i -e "$clsid" -e pelmora -e halvenne "$prefix/system.reg" | head -5)"
else
  pass "the machine's registry names neither the bar nor the product"
fi
user_keys=$(grep -i -e "$clsid" -e pelmora -e halvenne "$prefix/user.reg" | grep '^\[' | sed 's/\] [0-9]*$/]/' || true)
[[ $user_keys == '[Software\\Halvenne\\Pelmora]' ]] && pass "the user's registry names only the product key" \
  || fail "the user's registry names the product in: $user_keys"

# What belongs to the user stays as it was.
cmp -s "$user_script" "$out/user-script.WSC" && pass "the user's script survived" \
  || fail "the user's script ${user_script#"$prefix/"} is gone or changed"
expect_value 64 "$product_key" ScriptLocation "$location"
expect_value 64 "$product_key" LogErrors 0x7

if (( failures )); then
  echo "install-uninstall: $failures checks failed" >&2
  exit 1
fi
"$root/cmake/wine-prefix.sh" remove "$prefix" >/dev/null
echo "install-uninstall: every check held"
