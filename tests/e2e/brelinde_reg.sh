#!/usr/bin/env bash
# brelinde-reg against a hive of its own: add, query and delete round trips, the file as sqlite3
# sees it, exit codes and messages for bad input, and a hive file that is no database.
set -u
bin=$1
tmp=$(mktemp -d)
trap 'rm -rf "$tmp"' EXIT
export XDG_CONFIG_HOME=$tmp/config
hive=$XDG_CONFIG_HOME/brelinde/registry.db
key='HKCU\Software\Kaltvor\Kaltvor - Brelinde'
fail=0

# run EXPECTED_CODE ARGS...: runs the tool (stdin from $input), keeps stdout and stderr.
input=/dev/null
run() {
  local want=$1; shift
  "$bin" "$@" <"$input" >"$tmp/out" 2>"$tmp/err"; code=$?
  if [ "$code" -ne "$want" ]; then
    echo "FAIL: $* exited $code, not $want; stderr: $(cat "$tmp/err")"; fail=1
  fi
}
out_has() { grep -qF -- "$1" "$tmp/out" || { echo "FAIL: stdout lacks '$1':"; cat "$tmp/out"; fail=1; }; }
out_lacks() { ! grep -qF -- "$1" "$tmp/out" || { echo "FAIL: stdout has '$1':"; cat "$tmp/out"; fail=1; }; }
err_has() { grep -qF -- "$1" "$tmp/err" || { echo "FAIL: stderr lacks '$1':"; cat "$tmp/err"; fail=1; }; }
sql() { sqlite3 -batch -noheader "$hive" "$1"; }
same() { [ "$1" = "$2" ] || { echo "FAIL: '$1' is not '$2'"; fail=1; }; }

run 0 --help
out_has 'brelinde-reg query'
[ ! -e "$XDG_CONFIG_HOME" ] || { echo "FAIL: --help touched the config folder"; fail=1; }

# Nothing stored yet: not found, and no file made by looking.
run 1 query "$key"
err_has 'unable to find'
[ ! -e "$hive" ] || { echo "FAIL: a query created the hive"; fail=1; }

# add, then query shows each type the way reg does.
run 0 add "$key" /v Effect /t REG_DWORD /d 23 /f
out_has 'The operation completed successfully.'
run 0 add "$key" /v ActiveTabSheet /t REG_DWORD /d 0x3
run 0 add 'HKEY_CURRENT_USER\AppEvents\Schemes\Apps\Explorer\Navigating\.current' /ve /d 'C:\ding.wav'
run 0 add 'hkcu\software\MICROSOFT\Internet Explorer\Main' -v Page_Transitions -t reg_dword -d 0
run 0 add "$key\\Raw" /v Bytes /t REG_BINARY /d 00ff10Ab
run 0 add "$key\\Raw" /v Path /t REG_EXPAND_SZ /d '%HOME%\x'
run 0 query "$key"
out_has 'HKEY_CURRENT_USER\Software\Kaltvor\Kaltvor - Brelinde'
out_has '    Effect    REG_DWORD    0x17'
out_has '    ActiveTabSheet    REG_DWORD    0x3'
out_has 'HKEY_CURRENT_USER\Software\Kaltvor\Kaltvor - Brelinde\Raw'
run 0 query "$key\\raw" /s
out_has '    Bytes    REG_BINARY    00FF10AB'
out_has '    Path    REG_EXPAND_SZ    %HOME%\x'
run 0 query 'HKCU\AppEvents\Schemes\Apps\Explorer\Navigating\.current' /ve
out_has '    (Default)    REG_SZ    C:\ding.wav'
run 0 query "$key" /v EFFECT
out_has '    Effect    REG_DWORD    0x17'
out_lacks 'ActiveTabSheet'

# The file is the documented schema, readable by sqlite3; the folder is the owner's alone.
same "$(sql "SELECT sql FROM sqlite_master WHERE name='vals'")" \
  'CREATE TABLE vals(key TEXT COLLATE NOCASE, name TEXT COLLATE NOCASE, type INTEGER, data BLOB, PRIMARY KEY(key,name))'
same "$(sql "SELECT type, hex(data) FROM vals WHERE name='Effect'")" '4|17000000'
same "$(sql "SELECT type, hex(data) FROM vals WHERE name='' ")" '1|433A5C64696E672E77617600'
same "$(sql "SELECT count(*) FROM keys WHERE path='SOFTWARE\\KALTVOR'")" '1'
same "$(stat -c %a "$(dirname "$hive")")" '700'

# Overwriting asks unless /f; a "no" (or no answer) keeps the value.
run 1 add "$key" /v Effect /t REG_DWORD /d 5
out_has 'Value Effect exists, overwrite (Yes/No)?'
input=$tmp/yes; echo yes >"$input"
run 0 add "$key" /v effect /t REG_DWORD /d -1
input=/dev/null
run 0 query "$key" /v Effect
out_has '    Effect    REG_DWORD    0xffffffff'

# delete: a value, then a whole key with what lies below it.
run 0 delete "$key" /v ActiveTabSheet /f
run 1 query "$key" /v ActiveTabSheet
run 1 delete "$key" /v ActiveTabSheet /f
err_has 'unable to find'
run 1 delete 'HKCU\Software\Kaltvor'
out_has 'Permanently delete the registry key HKEY_CURRENT_USER\Software\Kaltvor (Yes/No)?'
run 0 query "$key" /v Effect
run 0 delete 'HKCU\Software\Kaltvor' /f
run 1 query "$key"
same "$(sql "SELECT count(*) FROM keys WHERE path LIKE 'Software\\Kaltvor%'")" '0'
same "$(sql "SELECT count(*) FROM vals WHERE key LIKE 'Software\\Kaltvor%'")" '0'
run 0 query 'HKCU\Software\Microsoft\Internet Explorer\Main' /v page_transitions
out_has '    Page_Transitions    REG_DWORD    0x0'

# Bad input: a clear message and exit code 2, and the hive untouched.
before=$(sql "SELECT count(*) FROM vals")
bad() {  # bad MESSAGE ARGS...
  local want=$1; shift
  run 2 "$@"; err_has "$want"
}
bad 'no operation given'
bad 'unknown operation "list"' list HKCU
bad 'Only HKCU (HKEY_CURRENT_USER)' add 'HKLM\Software' /f
bad 'Invalid key name "HKCU\a\\b"' add 'HKCU\a\\b'
bad 'Invalid type "REG_QWORD"' add HKCU\\a /v x /t REG_QWORD /d 1
bad 'Invalid REG_DWORD data "12x"' add HKCU\\a /v x /t REG_DWORD /d 12x
bad 'Invalid REG_DWORD data "4294967296"' add HKCU\\a /v x /t REG_DWORD /d 4294967296
bad 'Invalid REG_BINARY data "abc"' add HKCU\\a /v x /t REG_BINARY /d abc
bad '/v needs a value' add HKCU\\a /v
bad 'use one of /v and /ve' delete HKCU\\a /v x /ve
bad '"/d" is not a switch of query' query HKCU /d 1
bad 'cannot be deleted' delete HKCU /f
same "$(sql "SELECT count(*) FROM vals")" "$before"
same "$(sql "SELECT count(*) FROM keys WHERE path='a'")" '0'

# A hive file that is no database: reads find nothing, writes fail, the file stays as it was.
printf 'my notes\n' >"$hive"; rm -f "$hive"-wal "$hive"-shm
run 1 query "$key"
err_has "Registrierungsdatei \"$hive\" ist nicht verwendbar"
run 1 add "$key" /v Effect /t REG_DWORD /d 1 /f
err_has "could not be changed"
same "$(cat "$hive")" 'my notes'

exit $fail
