#!/usr/bin/env bash
# Passes when compiling SOURCE fails with exactly one error, and that error holds TEXT:
# for checks that the compiler makes, shown to refuse what they are meant to refuse.
#   expect-compile-error.sh COMPILER TEXT SOURCE [COMPILER FLAGS]...
set -uo pipefail
compiler=$1 text=$2 source=$3
shift 3
output=$("$compiler" -fsyntax-only "$@" "$source" 2>&1)
status=$?
errors=$(grep -c "error:" <<<"$output")
expected=$(grep "error:" <<<"$output" | grep -cF "$text")
if (( status != 0 && errors == 1 && expected == 1 )); then
  echo "expect-compile-error: $source refused as expected"
  exit 0
fi
echo "expect-compile-error: $source: exit code $status, $errors errors, $expected of them \"$text\"" >&2
echo "$output" >&2
exit 1
