#!/usr/bin/env bash
# A window handle that is no number stops start-up: the German message on stderr, exit code 1.
set -u
bin=$1
fail=0
check() {  # check EXPECTED_TEXT ARGS...
  local want=$1; shift
  local err code
  err=$(env -u DISPLAY QT_QPA_PLATFORM= "$bin" "$@" 2>&1 >/dev/null); code=$?
  if [ "$code" -ne 1 ]; then echo "FAIL: $* exited $code"; fail=1; fi
  if ! grep -qF -- "$want" <<<"$err"; then echo "FAIL: $*: stderr was: $err"; fail=1; fi
  if ! grep -qF -- "EConvertError" <<<"$err"; then echo "FAIL: $*: no error class in: $err"; fail=1; fi
}
check "'abc' ist kein gültiger Integerwert" /p abc
check "'' ist kein gültiger Integerwert" /p
check "'' ist kein gültiger Integerwert" /P:

# Without any display: one clear line, exit code 1, no toolkit abort.
for args in "/s" "/c" ""; do
  err=$(env -u DISPLAY QT_QPA_PLATFORM= "$bin" $args 2>&1 >/dev/null); code=$?
  lines=$(printf '%s\n' "$err" | grep -c .)
  if [ "$code" -ne 1 ] || [ "$lines" -ne 1 ] || ! grep -qF DISPLAY <<<"$err"; then
    echo "FAIL: no display, '$args': exit $code, stderr: $err"; fail=1
  fi
done
exit $fail
