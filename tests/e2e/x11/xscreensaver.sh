#!/usr/bin/env bash
# Fenlight with xscreensaver, one mode a run:
#   xscreensaver.sh add fenlight-add-to-xscreensaver: the command on ~/.xscreensaver files of each kind, with
#     xscreensaver's own list in app-defaults files of the check's own (no daemon needed)
#   xscreensaver.sh daemon FENLIGHT: the hack under the real daemon on a private Xvfb, started by
#     `xscreensaver-command -activate` on the daemon's window and ended by `-deactivate`. The daemon will not
#     launch hacks as root, so as root it runs as the unprivileged user nobody (no account of its own is made,
#     so none is left behind).
. "$(dirname "$0")/../common.sh"

# entries FILE: its programs: list (or the app-defaults' *programs:), one entry a line, spaces squeezed.
entries() {
    python3 -c 'import re, sys
found = re.search(r"^\*?programs[ \t]*:((?:.*\\\n)*.*)", open(sys.argv[1]).read(), re.M)
for entry in re.sub(r"\\\n", "", found.group(1)).split("\\n"):
    print(" ".join(entry.split())) if entry.strip() else None' "$1"
}

# add_to HOME [VAR=VALUE...]: the command run by the owner of HOME (a folder of $E2E_TMP, the check's working
# folder; not under sudo), xscreensaver's app-defaults looked for in $E2E_TMP/etc, then $E2E_TMP/usr; what it
# says in HOME.out.
add_to() {
    env -u SUDO_USER HOME="$E2E_TMP/$1" FENLIGHT_APP_DEFAULTS_DIRS="$E2E_TMP/etc $E2E_TMP/usr" "${@:2}" "$ADD" \
        >"$1.out" 2>&1
}

# adds_once HOME ADDED [LIST]: fenlight ends the list (the file's, else LIST's, by default the first
# app-defaults file's), no line is changed or lost, ADDED lines (or "any") are added, the file as it was is
# kept beside it, a rerun changes nothing. A linked ~/.xscreensaver counts as the file it names.
adds_once() {
    local home=$1 file old=$1.old base=$1.old
    file=$(readlink -m "$home/.xscreensaver")
    cp "$file" "$old" 2>/dev/null || : >"$old"
    grep -q '^programs:' "$old" || base=${3:-$E2E_TMP/etc/XScreenSaver}
    add_to "$home" && diff "$old" "$file" >"$home.diff"
    [ "$(entries "$file")" = "$(entries "$base"; echo "GL: fenlight --root")" ] &&
        ! grep -q '^<' "$home.diff" &&
        { [ "$2" = any ] || [ "$(grep -c '^>' "$home.diff")" = "$2" ]; } &&
        { [ ! -s "$old" ] || cmp -s "$old" "$file.before-fenlight"; } &&
        cp "$file" "$old" && add_to "$home" && cmp -s "$old" "$file"
}

# files HOME: what HOME holds, with times and sizes.
files() { find "$1" ! -type d -printf '%p %T@ %s\n' | sort; }

# leaves_alone HOME STATUS SAYS [VAR=VALUE...]: the command ends with STATUS, saying SAYS, and changes no
# file in HOME.
leaves_alone() {
    local home=$1 before status=0
    before=$(files "$home")
    add_to "$home" "${@:4}" || status=$?
    e2e_log "$(cat "$home.out")"
    [ "$status" = "$2" ] && grep -qF -- "$3" "$home.out" && [ "$before" = "$(files "$home")" ]
}

check_add() {
    ADD=$(realpath "$1")
    local home t=$'\t'
    cd "$E2E_TMP" &&
        mkdir -p etc usr bin written none no-list linked/dotfiles second-place none-listed twice off sudo || exit 1
    # xscreensaver's own list, ended by a line without a backslash; another in the second place.
    printf '*programs:\t\\\n\tmaze -root\t\\n\\\n  GL: \tgears -root\t\\n\\\n- GL: \tcubes -root\t\\n\n' \
        >etc/XScreenSaver
    sed 's/maze/xmaze/' etc/XScreenSaver >usr/XScreenSaver
    # As xscreensaver-settings writes it: the list's lines padded with tabs, its last line blank.
    cat >written.xscreensaver <<EOF
selected:${t}1
programs:${t}${t}${t}${t}${t}${t}${t}${t}      \\
${t}${t}${t}${t}maze --root${t}${t}${t}${t}    \n\\
- GL: ${t}${t}${t}${t}superquadrics --root${t}${t}${t}    \n\\
  GL: ${t}${t}${t}${t}gears --root${t}${t}${t}${t}    \n\\


pointerHysteresis:${t}10
EOF
    for home in written twice sudo; do cp written.xscreensaver "$home/.xscreensaver"; done
    cp written.xscreensaver linked/dotfiles/xscreensaver
    ln -s dotfiles/xscreensaver linked/.xscreensaver
    printf 'timeout:\t0:05:00\n' >no-list/.xscreensaver
    sed 's/^- GL: .*superquadrics/- GL: fenlight/' written.xscreensaver >off/.xscreensaver
    # As root under sudo: id answers 0 whoever runs the check.
    printf '#!/bin/sh\necho 0\n' >bin/id && chmod 755 bin/id

    e2e_check "on a ~/.xscreensaver as xscreensaver writes it, one line is added" adds_once written 1
    e2e_check "without a ~/.xscreensaver, xscreensaver's own list gets fenlight" adds_once none any
    e2e_check "on a ~/.xscreensaver without a list, xscreensaver's own list is added" adds_once no-list any
    e2e_check "on a linked ~/.xscreensaver, the file it names gets the line" adds_once linked 1
    e2e_check "and the link stays" [ -L linked/.xscreensaver ]
    # Fenlight added, taken out by hand with another change, added again: the copy is still the first file.
    add_to twice
    printf 'lock:\tTrue\n' | cat written.xscreensaver - >twice/.xscreensaver
    add_to twice
    e2e_check "a later change keeps the copy of the file as it was before Fenlight" \
        cmp written.xscreensaver twice/.xscreensaver.before-fenlight
    e2e_check "a switched-off fenlight counts as listed, and it says so" leaves_alone off 0 "switched off"
    e2e_check "under sudo it refuses, naming the user to run it as" leaves_alone sudo 1 \
        "run it as someone, without sudo" SUDO_USER=someone PATH="$E2E_TMP/bin:$PATH"

    rm etc/XScreenSaver
    e2e_check "with xscreensaver's list only in the second place, that list is taken" \
        adds_once second-place any usr/XScreenSaver
    rm usr/XScreenSaver
    e2e_check "with neither, nothing is written, naming the files it looked for" leaves_alone \
        none-listed 1 "list of hacks ($E2E_TMP/etc/XScreenSaver or $E2E_TMP/usr/XScreenSaver)"
    printf '! no list here\n*timeout: 0:10:00\n' >etc/XScreenSaver
    e2e_check "with an app-defaults file without a list, nothing is written" \
        leaves_alone none-listed 1 "has no list of hacks"
}

check_daemon() {
    local fenlight=$1
    e2e_need xscreensaver xscreensaver-command
    [ ${#as_user[@]} -eq 0 ] || id -u nobody >/dev/null 2>&1 ||
        e2e_skipped "running as root and there is no user nobody: the daemon launches no hacks as root"
    start_xvfb 800x600 || exit 1

    # The user's own home with only fenlight in its list, and a copy of the program it can run.
    chmod 755 "$E2E_TMP"
    HOME_DIR=$E2E_TMP/home
    mkdir -p "$HOME_DIR" "$E2E_TMP/bin"
    install -m 755 "$fenlight" "$E2E_TMP/bin/fenlight"
    printf '%s:\t%s\n' timeout 0:30:00 cycle 0:00:00 lock False splash False fade False unfade False \
        dpmsEnabled False mode one selected 0 >"$HOME_DIR/.xscreensaver"
    printf 'programs:\t\\\n\tGL: %s --root --colors amber \\n\\\n\n' "$E2E_TMP/bin/fenlight" >>"$HOME_DIR/.xscreensaver"
    [ ${#as_user[@]} -eq 0 ] || chown -R "nobody:$(id -gn nobody)" "$HOME_DIR"
    USER_RUN=("${as_user[@]}" env HOME="$HOME_DIR" DISPLAY="$DISPLAY" ASAN_OPTIONS="$ASAN_OPTIONS")

    spawn DAEMON_PID "${USER_RUN[@]}" xscreensaver --no-splash --verbose --log "$HOME_DIR/daemon.log" >/dev/null 2>&1
    e2e_check "the daemon starts and answers" wait_for 15 command_daemon -time

    e2e_check "xscreensaver-command -activate is accepted" command_daemon -activate
    e2e_check "the daemon starts fenlight" wait_for 15 hack_started || { tail -n 20 "$HOME_DIR/daemon.log"; return; }
    track "$HACK_PID"
    e2e_check "the hack is handed the daemon's window" handed_over
    e2e_check "the screen shows fenlight's amber lights" wait_for 20 shows_amber
    e2e_log "$LIGHTS"

    command_daemon -deactivate
    # The daemon ends it in well under a second on an idle machine; more than 10 s once on a loaded one.
    e2e_check "-deactivate ends the hack" wait_for 30 gone "$HACK_PID"
}

command_daemon() { "${USER_RUN[@]}" xscreensaver-command "$1" >/dev/null 2>&1; }

hack_started() {
    HACK_PID=$(pgrep -f -x "$E2E_TMP/bin/fenlight --root --colors amber" | head -n 1)
    [ -n "$HACK_PID" ]
}

# The daemon logs the window it hands over; the hack gets the same one in XSCREENSAVER_WINDOW.
handed_over() {
    local logged given
    logged=$(grep -o "fenlight --root --colors amber\" in pid $HACK_PID on window 0x[0-9a-f]*" \
        "$HOME_DIR/daemon.log" | grep -o '0x[0-9a-f]*$')
    given=$(tr '\0' '\n' <"/proc/$HACK_PID/environ" | sed -n 's/^XSCREENSAVER_WINDOW=//p')
    e2e_log "daemon's window $logged, XSCREENSAVER_WINDOW $given"
    [ -n "$logged" ] && [ "$((logged))" -eq "$((given))" ]
}

shows_amber() { e2e_screenshot "$E2E_TMP/screen.png" && e2e_lights "$E2E_TMP/screen.png" amber; }

case ${1:-} in
add) check_add "$2" ;;
daemon) check_daemon "$2" ;;
*) echo "usage: xscreensaver.sh add fenlight-add-to-xscreensaver | daemon FENLIGHT"; exit 2 ;;
esac
e2e_finish
