#!/usr/bin/env bash
# tools/check-deps must fail, naming the file and its package, when something
# used comes from a package outside the bootstrap's closure, and pass when the
# list brings that package in (directly or through Depends).
set -uo pipefail
check=$1/tools/check-deps
header=$(dpkg -L qt6-base-dev | grep -m1 '/QtCore/qglobal.h$')
failures=0
expect() {  # expect STATUS PATTERN -- ARGS...
  local want=$1 pattern=$2; shift 3
  local out status
  out=$("$check" "$@" 2>&1); status=$?
  if [[ $status -ne $want ]] || ! grep -qE -- "$pattern" <<<"$out"; then
    echo "FAILED: check-deps $* gave $status (wanted $want, output matching '$pattern'):"
    echo "$out"
    failures=$((failures + 1))
  fi
}
expect 1 "qglobal.h +\(package qt6-base-dev" -- --packages bash --files "$header"
expect 1 "/ffmpeg +\(package ffmpeg" -- --packages bash --files ffmpeg
# A Qt module's files come with the -dev package only through its Depends.
expect 0 "nothing missing" -- --packages qt6-base-dev --files "$header" "$(dpkg -L libqt6core6 | grep -m1 'libQt6Core.so.6\.')"
expect 1 "not-a-package" -- --packages "not-a-package" --files "$header"
((failures == 0)) && echo "check-deps: 4 passed, 0 failed"
exit $((failures != 0))
