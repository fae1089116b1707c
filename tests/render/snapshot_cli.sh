#!/usr/bin/env bash
# fenlight-snapshot as a user runs it: the same arguments give the same PNG, the seed changes the
# picture, the size is honoured, a cycling scene starts black, and bad input is refused.
set -u
snapshot=$1
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
failures=0
fail() { echo "FAIL: $*"; failures=$((failures + 1)); }

# Largest channel value of a PNG, 0..255.
brightest() { convert "$1" -format '%[fx:int(255*maxima)]' info:; }

"$snapshot" --out "$work/a.png" --width 320 --height 200 --seconds 12 --seed 7 --direction down --colors cycle \
    || fail "snapshot failed"
"$snapshot" --out "$work/b.png" --width 320 --height 200 --seconds 12 --seed 7 --direction down --colors cycle \
    || fail "second snapshot failed"
"$snapshot" --out "$work/c.png" --width 320 --height 200 --seconds 12 --seed 8 --direction down --colors cycle \
    || fail "third snapshot failed"
cmp -s "$work/a.png" "$work/b.png" || fail "same seed gave different pictures"
cmp -s "$work/a.png" "$work/c.png" && fail "different seeds gave the same picture"
[ "$(identify -format '%w %h' "$work/a.png")" = "320 200" ] || fail "wrong picture size"
[ "$(brightest "$work/a.png")" -gt 100 ] || fail "picture has no bright wisps"

# A cycling direction starts under a fully black overlay and clears within two seconds.
"$snapshot" --out "$work/start.png" --width 160 --height 100 --seconds 0 --direction cycle \
    || fail "snapshot at 0 s"
[ "$(brightest "$work/start.png")" -eq 0 ] || fail "cycling scene is not black at its start"
"$snapshot" --out "$work/later.png" --width 160 --height 100 --seconds 3 --direction cycle \
    || fail "snapshot at 3 s"
[ "$(brightest "$work/later.png")" -gt 50 ] || fail "cycling scene still dark after 3 s"

# Refused input: exit status 2, nothing written.
for args in "--width 0" "--height 9000" "--particles 19" "--size 101" "--colors 6" "--direction 1" \
    "--seconds -1" "--seed x" "--speed" "--frobnicate 1"; do
    # shellcheck disable=SC2086
    "$snapshot" --out "$work/bad.png" $args 2>/dev/null
    status=$?
    [ $status -eq 2 ] || fail "'$args' gave status $status"
    [ -e "$work/bad.png" ] && fail "'$args' wrote a picture"
done
"$snapshot" --width 10 --height 10 2>/dev/null
[ $? -eq 2 ] || fail "missing --out accepted"
"$snapshot" --out "$work/no/such/dir/x.png" --width 10 --height 10 2>/dev/null
[ $? -eq 1 ] || fail "unwritable output not reported"

[ $failures -eq 0 ] && echo "snapshot checks passed"
exit $((failures > 0))
