#!/usr/bin/env bash
# Installs into a temporary prefix: every file is there and valid, and the installed XScreenSaver
# hack, started as the daemon starts it (a window of another process in $XSCREENSAVER_WINDOW),
# runs the show inside that window and ends cleanly on SIGTERM with nothing left behind.
# Usage: install.sh BUILD_DIR HOST_WINDOW_TOOL
set -u
BUILD=$1 HOST_TOOL=$2
PREFIX_ROOT=$(mktemp -d "${TMPDIR:-/tmp}/brelinde-install-XXXXXX")
PREFIX="$PREFIX_ROOT/prefix"
BIN="$PREFIX/bin/brelinde" REG="$PREFIX/bin/brelinde-reg" HACK="$PREFIX/libexec/xscreensaver/brelinde"
. "$(dirname "$0")/show_lib.sh"
trap 'cleanup; rm -rf "$PREFIX_ROOT"' EXIT

cmake --install "$BUILD" --prefix "$PREFIX" >"$WORK/install.log" 2>&1 || { cat "$WORK/install.log"; exit 1; }

echo "installed files"
for f in bin/brelinde bin/brelinde-reg libexec/xscreensaver/brelinde; do
  [ -x "$PREFIX/$f" ] || fail "$f is missing or not executable"
done
for f in share/xscreensaver/config/brelinde.xml share/applications/brelinde-settings.desktop \
         share/icons/hicolor/128x128/apps/brelinde.png share/man/man1/brelinde.1 share/man/man1/brelinde-reg.1; do
  [ -s "$PREFIX/$f" ] || fail "$f is missing"
done

echo "settings description, launcher, manual pages"
XML="$PREFIX/share/xscreensaver/config/brelinde.xml"
xmllint --noout "$XML" || fail "xmllint"
[ "$(grep -c 'arg-set="--effect ' "$XML")" = 25 ] || fail "the transition list has not 25 entries"
grep -q '_label="Random bars vertical" arg-set="--effect 22"' "$XML" || fail "list order"
desktop-file-validate "$PREFIX/share/applications/brelinde-settings.desktop" || fail "desktop-file-validate"
for page in brelinde brelinde-reg; do
  out=$(MANWIDTH=80 man -l "$PREFIX/share/man/man1/$page.1" 2>&1) || fail "man -l $page.1: $out"
  grep -q '^NAME' <<<"$out" || fail "$page.1 renders no NAME section"
done

echo "the hack refuses what it does not know"
"$HACK" --bogus 2>/dev/null; [ $? = 2 ] || fail "an unknown option is not refused with exit code 2"
"$HACK" --effect 25 2>/dev/null; [ $? = 2 ] || fail "--effect 25 is not refused"
"$HACK" --window-id 2>/dev/null; [ $? = 2 ] || fail "--window-id without an id is not refused"

echo "the hack inside a window of another process, stopped with SIGTERM"
start_xvfb 1280x1024
set_dword "$MAIN_KEY" Page_Transitions 0
set_sz "$SOUND_KEY" 'nav.wav'
coproc HOST { "$HOST_TOOL" 320 240; }
read -r -t 10 HOST_ID <&"${HOST[0]}" || { fail "no host window"; exit 1; }
XSCREENSAVER_WINDOW=$(printf '0x%x' "$HOST_ID") "$HACK" --root --effect 5 2>"$WORK/stderr" &
SHOW_PID=$!
wait_until 10 has_page || fail "no page file"
wait_until 8 shows_slide || fail "no picture within 8 s"
grep -q 'revealTrans(Duration=3,transition=5)' "$(page_file)" 2>/dev/null || fail "the page does not carry effect 5"
expect_value "--effect 5" 'HKCU\Software\Kaltvor\Kaltvor - Brelinde' Effect "$(dword_hex 5)"
wait_until 5 bash -c "xwininfo -children -id $HOST_ID | grep -q '1 child'" || fail "the show is not inside the host window"
kill -TERM "$SHOW_PID"
wait_end
[ "$CODE" = 0 ] || fail "exit code $CODE after SIGTERM; stderr: $(cat "$WORK/stderr")"
temp_folder_empty || fail "temp files left: $(ls "$TMPDIR")"
expect_value "after SIGTERM" "$MAIN_KEY" Page_Transitions "$(dword_hex 0)"
expect_value "after SIGTERM" "$SOUND_KEY" "" "$(sz_hex nav.wav)"
exec 5>&"${HOST[1]}"; echo destroy >&5 2>/dev/null

exit $FAIL
