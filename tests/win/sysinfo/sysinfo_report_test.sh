#!/bin/sh
# sysinfo.exe under Wine: one Name=Value line per published property in order, values that agree
# with what Wine tells through other routes, and the Windows 9x and NT sources of the
# family-dependent properties. Wine keeps the same values in both families' keys, so distinct
# markers are written into the 9x key, the NT key and the 9x network and dial-up keys first and
# put back as they were afterwards; each version runs from its own renamed copy with a per-program
# Wine version setting (AppDefaults\<name>.exe, value Version), so the prefix keeps its version.
# A program of BITS (32 or 64) sees the registry view, folders and processor of its kind: the
# markers go into its own view, decoys into the other one.
#
#   sysinfo_report_test.sh SYSINFO_EXE WORK_DIR BITS WINE_RUN...
set -u
exe=$(cd "$(dirname "$1")" && pwd)/$(basename "$1") work=$2 bits=$3
shift 3
own_view=/reg:$bits other_view=/reg:$((96 - bits))
mkdir -p "$work"
cd "$work" || exit 1
# The Wine command as one program, usable inside functions.
{
  echo '#!/bin/sh'
  printf 'exec'
  for arg in "$@"; do printf " '%s'" "$arg"; done
  echo ' "$@"'
} >wine.sh
chmod +x wine.sh
w() { ./wine.sh "$@" 2>/dev/null | tr -d '\r'; }

status=0
fail() {
  printf 'FAIL %s\n' "$*"
  status=1
}
# value FILE NAME: the value of the line NAME=... in FILE.
value() { sed -n "s/^$2=//p" "$1"; }
check() {  # FILE NAME WANT (never empty: an empty WANT means the other route said nothing)
  [ -n "$3" ] || { fail "$1 $2: nothing to compare with"; return; }
  got=$(value "$1" "$2")
  if [ "$got" = "$3" ]; then printf 'ok   %s %s=%s\n' "$1" "$2" "$got"; else
    fail "$1 $2: got '$got', want '$3'"; fi
}

# --- The report on the prefix as it is ---
cp "$exe" sysinfo.exe
./wine.sh sysinfo.exe 2>/dev/null | tr -d '\r' >default.txt
[ -s default.txt ] || fail "sysinfo.exe printed nothing"
names=$(sed 's/=.*//' default.txt | tr '\n' ' ')
want_names="Name Tag About ALLOW_EDIT ComputerDescription ComputerName ComputerWorkgroup \
CurrentUserName WinDirectXVersion DefaultBrowser DirAppData DirAppDataAll DirCache DirCookies \
DirCommonFiles DirDesktop DirFavorites DirFavoritesAll DirFonts DirHistory DirMedia DirMyPictures \
DirNetHood DirPersonal DirPrintHood DirProgramFiles DirPrograms DirProgramsAll DirRecent DirSendTo \
DirStartMenu DirStartMenuAll DirStartup DirStartupAll DirSystem DirTemp DirTemplates \
DirTemplatesAll DirWindows DiskCSerialNumber DiskCSerialNumberStr InternetStatus MemAvailPhisical \
MemTotalPhisical MemAvailVirtual MemTotalVirtual MemLoad OSVersion OwnerName OwnerCompany \
CPUIdentifier CPUVendor CPUArchitecture CPUsNumber CPUType CPUFrequency ScreenColorMode \
ScreenResolution ScreenSaver SystemUpTime SystemPathes WinNT WinProductID WinProductName \
WinVersion WinVersionBuild WinVersionMajor WinVersionMinor WinVersionNumber WinVersionSubNumber "
if [ "$names" = "$want_names" ]; then echo "ok   70 property lines in order"; else
  fail "property lines: got '$names'"; fi
check default.txt Name acSystemInfo1
check default.txt Tag 0
check default.txt ALLOW_EDIT False
check default.txt WinNT True
check default.txt ComputerName "$(w cmd /c echo %COMPUTERNAME%)"
check default.txt DirTemp "$(w cmd /c echo %TEMP%)"
check default.txt ScreenResolution sr1024x768
# What a program of its kind sees, asked of Wine's own cmd of that kind: on 64-bit Windows a 32-bit
# program is told of an Intel processor (PROCESSOR_ARCHITECTURE x86) and of Program Files (x86).
case $(w cmd /c echo %PROCESSOR_ARCHITECTURE%) in
  x86) check default.txt CPUArchitecture paINTEL ;;
  *) check default.txt CPUArchitecture paUNKNOWN ;;
esac
check default.txt DirProgramFiles "$(w cmd /c echo %ProgramFiles%)"
check default.txt DirCommonFiles "$(w cmd /c echo %CommonProgramFiles%)"
if [ "$bits" = 32 ]; then
  check default.txt DirProgramFiles 'C:\Program Files (x86)'
  check default.txt CPUArchitecture paINTEL
fi
# "Microsoft Windows 6.1.7601" (Windows itself: "... [Version 6.1.7601]")
ver=$(w cmd /c ver | sed -n 's/.*[^0-9.]\([0-9]*\.[0-9]*\.[0-9]*\).*/\1/p')
check default.txt WinVersionMajor "${ver%%.*}"
rest=${ver#*.}
check default.txt WinVersionMinor "${rest%%.*}"
check default.txt WinVersionBuild "${rest#*.}"
case $(value default.txt InternetStatus) in
  iOnline | iOffline) echo "ok   InternetStatus is a value name" ;;
  *) fail "InternetStatus is not a value name" ;;
esac
# The volume serial as "vol" prints it (1234-ABCD) and as the properties give it: leading zeros
# trimmed, the dash before the fifth digit; the number signed.
vol=$(w cmd /c vol c: | sed -n 's/.*Serial Number is \([0-9A-Fa-f]*-[0-9A-Fa-f]*\).*/\1/p')
hex=$(printf '%s' "$vol" | tr -d '-' | tr a-f A-F | sed 's/^0*//')
[ -n "$hex" ] || hex=0
if [ ${#hex} -lt 5 ]; then serial="$hex-"; else serial=$(printf '%s' "$hex" | sed 's/^\(....\)/\1-/'); fi
check default.txt DiskCSerialNumberStr "$serial"
number=$((0x$hex))
[ $number -ge 2147483648 ] && number=$((number - 4294967296))
check default.txt DiskCSerialNumber "$number"
# Physical memory as Linux counts it; Wine caps the amounts at 2 GiB - 1 for programs that are not
# large-address aware, and the property holds 32 bits.
total=$(($(sed -n 's/^MemTotal: *\([0-9]*\) kB/\1/p' /proc/meminfo) * 1024))
got=$(value default.txt MemTotalPhisical)
cap31=$((total > 2147483647 ? 2147483647 : total))
cap32=$((total > 4294967295 ? 4294967295 : total))
if [ "$got" = "$cap31" ] || [ "$got" = "$cap32" ]; then echo "ok   MemTotalPhisical=$got"; else
  fail "MemTotalPhisical: got '$got', want $cap31 or $cap32 (Linux: $total)"; fi
if [ "$(value default.txt MemAvailPhisical)" -le "${got:-0}" ]; then echo "ok   available <= total"; else
  fail "MemAvailPhisical above MemTotalPhisical"; fi
nt_status=$(value default.txt InternetStatus)

# --- Windows 98 and XP sources ---
k9x='HKLM\Software\Microsoft\Windows\CurrentVersion'
knt='HKLM\Software\Microsoft\Windows NT\CurrentVersion'
knet='HKLM\System\CurrentControlSet\Services\VxD\VNETSUP'
kdial='HKLM\System\CurrentControlSet\Services\RemoteAccess'
# view|key|value|marker; every value is saved first and put back (or removed) at the end. The
# owners in the other registry view are decoys: the program must not read them.
markers="$own_view|$k9x|RegisteredOwner|owner 9x
$own_view|$k9x|RegisteredOrganization|company 9x
$own_view|$k9x|ProductId|id 9x
$own_view|$k9x|ProductName|product 9x
$own_view|$k9x|Version|version 9x
$own_view|$knt|RegisteredOwner|owner NT
$own_view|$knt|RegisteredOrganization|company NT
$own_view|$knt|ProductId|id NT
$own_view|$knt|ProductName|Microsoft product NT
$own_view|$knet|Comment|comment 9x
$own_view|$knet|Workgroup|workgroup 9x
$other_view|$k9x|RegisteredOwner|owner of the other view
$other_view|$knt|RegisteredOwner|owner of the other view"
: >saved.txt
echo "$markers" | while IFS='|' read -r view key name marker; do
  old=$(w reg query "$key" /v "$name" "$view" | sed -n "s/^ *$name *REG_SZ *//p")
  if w reg query "$key" /v "$name" "$view" | grep -q "REG_SZ"; then
    printf '%s|%s|%s|1|%s\n' "$view" "$key" "$name" "$old" >>saved.txt
  else
    printf '%s|%s|%s|0|\n' "$view" "$key" "$name" >>saved.txt
  fi
  ./wine.sh reg add "$key" /v "$name" /d "$marker" /f "$view" >/dev/null 2>&1
done
dial_existed=0
w reg query "$kdial" >/dev/null 2>&1 && [ -n "$(w reg query "$kdial")" ] && dial_existed=1

run() {  # VERSION OUT
  copy="sysinfo_$1.exe"
  cp "$exe" "$copy"
  ./wine.sh reg add "HKCU\\Software\\Wine\\AppDefaults\\$copy" /v Version /d "$1" /f >/dev/null 2>&1
  ./wine.sh "$copy" 2>/dev/null | tr -d '\r' >"$2"
  ./wine.sh reg delete "HKCU\\Software\\Wine\\AppDefaults\\$copy" /f >/dev/null 2>&1
}
dial() {  # HEX: the dial-up state "Remote Connection" as 4 bytes
  ./wine.sh reg add "$kdial" /v "Remote Connection" /t REG_BINARY /d "$1" /f >/dev/null 2>&1
}

dial 01000000
run win98 win98_on.txt
run winxp winxp_on.txt
dial 00000000
run win98 win98_off.txt
./wine.sh reg delete "$kdial" /v "Remote Connection" /f >/dev/null 2>&1
run win98 win98_none.txt

# Put every value back as it was.
while IFS='|' read -r view key name had old; do
  if [ "$had" = 1 ]; then
    ./wine.sh reg add "$key" /v "$name" /d "$old" /f "$view" >/dev/null 2>&1
  else
    ./wine.sh reg delete "$key" /v "$name" /f "$view" >/dev/null 2>&1
  fi
done <saved.txt
[ $dial_existed = 1 ] || ./wine.sh reg delete "$kdial" /f >/dev/null 2>&1

check win98_on.txt WinNT False
check win98_on.txt OSVersion os98SE
check win98_on.txt OwnerName "owner 9x"
check win98_on.txt OwnerCompany "company 9x"
check win98_on.txt WinProductID "id 9x"
check win98_on.txt WinProductName "product 9x"
check win98_on.txt WinVersion "version 9x"
check win98_on.txt ComputerDescription "comment 9x"
check win98_on.txt ComputerWorkgroup "workgroup 9x"
check win98_on.txt InternetStatus iOnline
check win98_off.txt InternetStatus iOffline
check win98_none.txt InternetStatus "$nt_status"
check winxp_on.txt WinNT True
check winxp_on.txt OSVersion osXP
check winxp_on.txt OwnerName "owner NT"
check winxp_on.txt OwnerCompany "company NT"
check winxp_on.txt WinProductID "id NT"
check winxp_on.txt WinProductName "Microsoft product NT"
check winxp_on.txt WinVersion "product NT"
check winxp_on.txt ComputerDescription "(not available on NT)"
check winxp_on.txt ComputerWorkgroup "(not available on NT)"
check winxp_on.txt InternetStatus "$nt_status"
exit $status
