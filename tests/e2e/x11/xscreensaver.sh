#!/usr/bin/env bash
# The hack under the real xscreensaver daemon on a private Xvfb: a ~/.xscreensaver naming only fenlight,
# `xscreensaver-command -activate`, and the daemon starts the hack on its own window, which then shows
# the lights; `-deactivate` ends it again.
#   xscreensaver.sh FENLIGHT
# The daemon will not launch hacks as root, so as root the check runs it as the unprivileged user nobody
# (making no account of its own, so none is left behind); as any other user it runs as that user.
. "$(dirname "$0")/../common.sh"

FENLIGHT=$1
TEST_USER=nobody
export ASAN_OPTIONS=${ASAN_OPTIONS:-detect_leaks=0}

if ! command -v xscreensaver >/dev/null || ! command -v xscreensaver-command >/dev/null; then
    e2e_skip "the xscreensaver daemon is not installed (Debian package xscreensaver)"
    exit 0
fi

as_user=()
if [ "$(id -u)" -eq 0 ]; then
    if ! id -u "$TEST_USER" >/dev/null 2>&1; then
        e2e_skip "running as root and there is no user $TEST_USER: the daemon refuses to launch hacks as root"
        exit 0
    fi
    as_user=(setpriv --reuid="$(id -u "$TEST_USER")" --regid="$(id -g "$TEST_USER")" --clear-groups)
fi

echo "== fenlight-add-to-xscreensaver"
ADD=(env -u SUDO_USER "$E2E_DIR/../../host/x11/fenlight-add-to-xscreensaver")
# entries FILE: its programs: list (or the app-defaults' *programs:), one entry a line, spaces squeezed.
entries() {
    python3 -c 'import re, sys
found = re.search(r"^\*?programs[ \t]*:((?:.*\\\n)*.*)", open(sys.argv[1]).read(), re.M)
for entry in re.sub(r"\\\n", "", found.group(1)).split("\\n"):
    print(" ".join(entry.split())) if entry.strip() else None' "$1"
}
# adds_once CASE ADDED: with $E2E_TMP/CASE as HOME, fenlight ends the list (the file's, else xscreensaver's),
# no line is changed or lost, ADDED lines (or "any") are added, the old file is kept, a rerun changes nothing.
adds_once() {
    local home=$E2E_TMP/$1 old=$E2E_TMP/$1.old base=$E2E_TMP/$1.old
    cp "$home/.xscreensaver" "$old" 2>/dev/null || : >"$old"
    grep -q '^programs:' "$old" || base=/etc/X11/app-defaults/XScreenSaver
    HOME=$home "${ADD[@]}" >/dev/null && diff "$old" "$home/.xscreensaver" >"$E2E_TMP/$1.diff"
    [ "$(entries "$home/.xscreensaver")" = "$(entries "$base"; echo "GL: fenlight --root")" ] &&
        ! grep -q '^<' "$E2E_TMP/$1.diff" &&
        { [ "$2" = any ] || [ "$(grep -c '^>' "$E2E_TMP/$1.diff")" = "$2" ]; } &&
        { [ ! -s "$old" ] || cmp -s "$old" "$home/.xscreensaver.before-fenlight"; } &&
        cp "$home/.xscreensaver" "$old" && HOME=$home "${ADD[@]}" >/dev/null &&
        cmp -s "$old" "$home/.xscreensaver"
}
mkdir -p "$E2E_TMP/written" "$E2E_TMP/none" "$E2E_TMP/no-list"
# As xscreensaver-settings writes it: the list's lines padded with tabs, its last line blank.
T=$'\t'
cat >"$E2E_TMP/written/.xscreensaver" <<EOF
selected:${T}1
programs:${T}${T}${T}${T}${T}${T}${T}${T}      \\
${T}${T}${T}${T}maze --root${T}${T}${T}${T}    \n\\
- GL: ${T}${T}${T}${T}superquadrics --root${T}${T}${T}    \n\\
  GL: ${T}${T}${T}${T}gears --root${T}${T}${T}${T}    \n\\


pointerHysteresis:${T}10
EOF
printf 'timeout:\t0:05:00\n' >"$E2E_TMP/no-list/.xscreensaver"
e2e_check "on a ~/.xscreensaver as xscreensaver writes it, one line is added" adds_once written 1
e2e_check "without a ~/.xscreensaver, xscreensaver's own list gets fenlight" adds_once none any
e2e_check "on a ~/.xscreensaver without a list, xscreensaver's own list is added" adds_once no-list any

e2e_start_xvfb 800x600 || exit 1

# The user's own home with only fenlight in its list, and a copy of the program it can run.
chmod 755 "$E2E_TMP"
HOME_DIR=$E2E_TMP/home
mkdir -p "$HOME_DIR" "$E2E_TMP/bin"
install -m 755 "$FENLIGHT" "$E2E_TMP/bin/fenlight"
cat >"$HOME_DIR/.xscreensaver" <<EOF
timeout:	0:30:00
cycle:		0:00:00
lock:		False
splash:		False
fade:		False
unfade:		False
dpmsEnabled:	False
mode:		one
selected:	0
programs:	\\
	GL: $E2E_TMP/bin/fenlight --root --colors amber \\n\\

EOF
[ ${#as_user[@]} -gt 0 ] && chown -R "$TEST_USER:$(id -gn "$TEST_USER")" "$HOME_DIR"
user_env=(env HOME="$HOME_DIR" DISPLAY="$DISPLAY" ASAN_OPTIONS="$ASAN_OPTIONS")

"${as_user[@]}" "${user_env[@]}" xscreensaver --no-splash --verbose --log "$HOME_DIR/daemon.log" \
    >/dev/null 2>&1 &
e2e_track $!
command_daemon() { "${as_user[@]}" "${user_env[@]}" xscreensaver-command "$1" >/dev/null 2>&1; }
e2e_check "the daemon starts and answers" e2e_wait_for 15 command_daemon -time

e2e_check "xscreensaver-command -activate is accepted" command_daemon -activate
hack_started() {
    HACK_PID=$(pgrep -f -x "$E2E_TMP/bin/fenlight --root --colors amber" | head -n 1)
    [ -n "$HACK_PID" ]
}
if e2e_wait_for 15 hack_started; then
    e2e_pass "the daemon starts fenlight"
else
    e2e_fail "the daemon starts fenlight"
    tail -n 20 "$HOME_DIR/daemon.log"
    e2e_finish
    exit
fi
e2e_track "$HACK_PID"

# The daemon logs the window it hands over; the hack gets the same one in XSCREENSAVER_WINDOW.
handed_over() {
    local logged given
    logged=$(grep -o "fenlight --root --colors amber\" in pid $HACK_PID on window 0x[0-9a-f]*" \
        "$HOME_DIR/daemon.log" | grep -o '0x[0-9a-f]*$')
    given=$(tr '\0' '\n' <"/proc/$HACK_PID/environ" | sed -n 's/^XSCREENSAVER_WINDOW=//p')
    e2e_log "daemon's window $logged, XSCREENSAVER_WINDOW $given"
    [ -n "$logged" ] && [ "$((logged))" -eq "$((given))" ]
}
e2e_check "the hack is handed the daemon's window" handed_over

shows_amber() {
    local n r g b hue
    e2e_screenshot "$E2E_TMP/screen.png" || return 1
    read -r n r g b hue < <(e2e_pixels "$E2E_TMP/screen.png")
    LIGHTS="$n bright pixels, hue $hue"
    [ "$n" -gt 300 ] && [ "$hue" -ge 35 ] && [ "$hue" -le 65 ]
}
e2e_check "the screen shows fenlight's amber lights" e2e_wait_for 20 shows_amber
e2e_log "$LIGHTS"

hack_ended() { ! kill -0 "$HACK_PID" 2>/dev/null; }
command_daemon -deactivate
# The daemon ends it in well under a second on an idle machine; more than 10 s once on a loaded one.
e2e_check "-deactivate ends the hack" e2e_wait_for 30 hack_ended

e2e_finish
