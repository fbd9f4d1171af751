# Sourced by the prefix scripts. Runs one Wine command with its output kept; on a
# failure, waits for the prefix's wineserver and tries again, since a command that
# starts while the last server is shutting down can fail without a word on a loaded
# machine. After the last try, prints what the command said and its exit code.
#   wine_step WHAT COMMAND [ARG...]
wine_step() {
  local what=$1 try output status
  shift
  for try in 1 2 3; do
    if output=$("$@" 2>&1); then
      return 0
    else
      status=$?
    fi
    echo "$what: try $try failed with exit code $status" >&2
    /usr/lib/wine/wineserver -w 2>/dev/null || true
  done
  echo "$what: gave up; the last try printed:" >&2
  printf '%s\n' "$output" >&2
  return "$status"
}
