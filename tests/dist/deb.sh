#!/usr/bin/env bash
# The Debian package and the RPM as a user gets them: the files, their fields and the manual pages, and as
# root installed for real (dpkg -i, the hack drawing on a private Xvfb, the Wayland saver's --help, man,
# dpkg -r).
#   deb.sh PACKAGE.deb [PACKAGE.rpm]
. "$(dirname "$0")/../e2e/common.sh"

DEB=$(realpath "$1") VERSION=$("$E2E_TOOLS/version")
EXPECTED_FILES="/usr/bin/fenlight-add-to-xscreensaver
/usr/bin/fenlight-wayland
/usr/libexec/xscreensaver/fenlight
/usr/share/doc/fenlight/README.Debian
/usr/share/doc/fenlight/changelog.gz
/usr/share/doc/fenlight/copyright
/usr/share/fenlight/fenlight-wayland.desktop
/usr/share/man/man1/fenlight-add-to-xscreensaver.1.gz
/usr/share/man/man6/fenlight-wayland.6.gz
/usr/share/man/man6/fenlight.6.gz
/usr/share/xscreensaver/config/fenlight.xml"
HACK=/usr/libexec/xscreensaver/fenlight SAVER=/usr/bin/fenlight-wayland

echo "== the package file"
lintian_clean() {
    # (its manual page checks leave a database in TMPDIR)
    TMPDIR=$E2E_TMP lintian --fail-on error --display-info "$DEB" >"$E2E_TMP/lintian.txt" 2>&1
    local status=$?
    sed 's/^/    /' "$E2E_TMP/lintian.txt" | grep -v "root privileges"
    return $status
}
e2e_check "lintian reports no errors" lintian_clean

# The listing without the leading dot: files and links on their own, folders with a trailing slash.
dpkg-deb -c "$DEB" | awk '{print $6}' | sed 's/^\.//' >"$E2E_TMP/listing"
exact_files() {
    local files dir
    files=$(grep -v '/$' "$E2E_TMP/listing" | LC_ALL=C sort)
    [ "$files" = "$EXPECTED_FILES" ] || { e2e_log "holds: $(echo "$files" | tr '\n' ' ')"; return 1; }
    # Every folder is on the way to one of those files.
    while read -r dir; do
        grep -q "^$dir" <<<"$EXPECTED_FILES" || { e2e_log "stray folder $dir"; return 1; }
    done < <(grep '/$' "$E2E_TMP/listing")
}
e2e_check "it holds exactly the eleven files" exact_files
field() { dpkg-deb -f "$DEB" "$1"; }
e2e_check "version $VERSION, Recommends: xscreensaver, Suggests: swayidle" eval \
    '[ "$(field Version)" = "$VERSION" ] && [ "$(field Recommends)" = xscreensaver ] &&
    [ "$(field Suggests)" = swayidle ]'
e2e_check "the dependencies were computed (libc6 with a version, libx11-6, libwayland-client0)" eval \
    'field Depends | grep -q "libc6 (>= " && field Depends | grep -q "libx11-6" &&
    field Depends | grep -q "libwayland-client0"'

dpkg-deb -x "$DEB" "$E2E_TMP/root"
# man -l: a page renders without complaints and has the sections each program's page has.
renders() {
    MANWIDTH=80 man --warnings -l "$1" >"$E2E_TMP/man.txt" 2>"$E2E_TMP/man.err" || return 1
    [ ! -s "$E2E_TMP/man.err" ] || { e2e_log "$(cat "$E2E_TMP/man.err")"; return 1; }
    local section
    for section in NAME SYNOPSIS DESCRIPTION OPTIONS ENVIRONMENT "SEE ALSO"; do
        grep -qx "$section" "$E2E_TMP/man.txt" || { e2e_log "no $section"; return 1; }
    done
    grep -q -- "--particles N" "$E2E_TMP/man.txt"
}
# The page names every option the program accepts.
options_documented() {
    local option
    for option in $("$1" --help | grep -o -- '--[a-z-]*' | sort -u); do
        grep -q -- "$option" "$E2E_TMP/man.txt" || { e2e_log "$option is not in the manual page"; return 1; }
    done
}
DATE=$(zcat "$E2E_TMP/root/usr/share/doc/fenlight/changelog.gz" | sed -n 's/^ -- .*>  //p' | date -u +%F -f -)
for program in "$HACK" "$SAVER"; do
    page=${program##*/}
    e2e_check "man -l renders $page(6) with its six sections" \
        renders "$E2E_TMP/root/usr/share/man/man6/$page.6.gz"
    e2e_check "$page(6) names every option of --help" options_documented "$E2E_TMP/root$program"
    e2e_check "$page(6)'s footer carries the version and the date" \
        grep -qE "^Fenlight $VERSION +$DATE +${page^^}\(6\)\$" <(tail -n 1 "$E2E_TMP/man.txt")
    e2e_check "no word of $page(6) is hyphenated at any width" eval '! for w in $(seq 40 5 120); do
        MANWIDTH=$w man -l "$E2E_TMP/root/usr/share/man/man6/$page.6.gz"
        done 2>/dev/null | grep "[a-z][-‐]\$"'
done

if [ -n "${2:-}" ]; then
    RPM=$(realpath "$2")
    rpm_query() { rpm -qp "$@" "$RPM" 2>/dev/null; }
    # (rpm -ql names the folder it owns too.)
    e2e_check "the RPM holds the files, the hacks.conf.d entry and the licence as %license" eval \
        '[ "$(rpm_query -l | grep -v /licenses/)" = "$({ grep -v /doc/ <<<"$EXPECTED_FILES"
        echo /usr/share/fenlight; echo /usr/share/xscreensaver/hacks.conf.d/fenlight.conf; } |
        LC_ALL=C sort)" ] &&
        [ "$(rpm_query --licensefiles)" = /usr/share/licenses/fenlight/LICENSE ]'
    e2e_check "its Requires were computed (libc.so.6, libX11, libwayland-client), Recommends: xscreensaver" \
        eval 'rpm_query --requires | grep -q "libc.so.6(GLIBC_2" &&
        rpm_query --requires | grep -q libX11.so.6 && rpm_query --requires | grep -q libwayland-client.so.0 &&
        [ "$(rpm_query --recommends)" = xscreensaver ]'
    e2e_check "rpmlint: no error but no-signature" eval 'rpmlint "$RPM" >"$E2E_TMP/rpmlint.txt" 2>&1
        grep -q "1 packages" "$E2E_TMP/rpmlint.txt" && ! grep ": E: " "$E2E_TMP/rpmlint.txt" |
        grep -v no-signature'
    if [ "$(id -u)" = 0 ]; then
        ROOT=$E2E_TMP/rpm-root
        e2e_check "rpm -i --root installs it and rpm -e leaves no file" eval \
            'rpm -i --root "$ROOT" --nodeps --noscripts "$RPM" 2>/dev/null &&
            rpm -e --root "$ROOT" --noscripts fenlight 2>/dev/null &&
            [ -z "$(find "$ROOT" ! -type d ! -path "*rpmdb*")" ]'
    else
        e2e_skip "rpm -i --root / rpm -e: needs root"
    fi
fi

echo "== installed with dpkg"
if [ "$(id -u)" != 0 ]; then NO_DPKG="installing a package needs root"
elif dpkg-query -W -f='${Status}' fenlight 2>/dev/null | grep -q "ok installed" || [ -e "$HACK" ] ||
    [ -e "$SAVER" ]; then NO_DPKG="a fenlight is installed on this machine already; leaving it alone"; fi
[ -z "${NO_DPKG:-}" ] || { e2e_skip "dpkg -i / dpkg -r: $NO_DPKG"; e2e_finish; exit; }
# dpkg waits for nobody: retry while another package tool holds its lock.
dpkg_run() {
    local deadline=$((SECONDS + 180))
    while ! dpkg "$@" >"$E2E_TMP/dpkg.out" 2>&1; do
        if ! grep -q "lock" "$E2E_TMP/dpkg.out" || [ $SECONDS -ge $deadline ]; then
            cat "$E2E_TMP/dpkg.out"
            return 1
        fi
        sleep 1
    done
}
INSTALLED=
remove_package() { [ -z "$INSTALLED" ] || dpkg_run --purge fenlight || true; }
trap 'remove_package; finish' EXIT

INSTALLED=1
e2e_check "dpkg -i installs it" dpkg_run -i "$DEB"
all_there() { while read -r f; do [ -f "$f" ] || return 1; done <<<"$EXPECTED_FILES"; }
e2e_check "the eleven files are in place" all_there

start_xvfb 800x600 || exit 1
unset XSCREENSAVER_WINDOW
spawn HACK_PID "$HACK" --root --colors amber >"$E2E_TMP/hack.out" 2>"$E2E_TMP/hack.err"
draws() { running "$HACK_PID" && e2e_screenshot "$E2E_TMP/root.png" && e2e_lights "$E2E_TMP/root.png" amber; }
e2e_check "the installed hack draws amber lights on the root window" wait_for 60 draws
kill "$HACK_PID"
e2e_check "and ends with 0 on SIGTERM" exits_with "$HACK_PID" 0

e2e_check "the installed fenlight-wayland runs (--help)" eval '"$SAVER" --help | grep -q "^Usage: fenlight-wayland"'

man_shows() { MANWIDTH=80 man "$1" 2>/dev/null | grep -q "soft coloured lights"; }
e2e_check "man fenlight and man fenlight-wayland show their pages" \
    eval 'man_shows fenlight && man_shows fenlight-wayland'

removed() {
    dpkg_run -r fenlight || return 1
    INSTALLED=
    local f
    for f in $EXPECTED_FILES /usr/share/doc/fenlight /usr/share/fenlight; do
        [ ! -e "$f" ] || { e2e_log "$f is left"; return 1; }
    done
    ! dpkg-query -W -f='${Status}' fenlight 2>/dev/null | grep -q "ok installed"
}
e2e_check "dpkg -r removes every file it installed" removed
e2e_finish
