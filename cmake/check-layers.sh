#!/usr/bin/env bash
# Fails when an #include points the wrong way between the source folders:
#   framework <- core <- state, library <- runtime <- ui <- component
# Each folder may include from its own folder and those to its left; state and library
# are siblings and include neither each other. resources/ (resource ids) is open to
# every folder but framework, which knows nothing of Pelmora. devhost/ may include
# nothing of src/ but framework/. Includes without a folder (same folder, generated
# headers) are not checked, nor <...> includes of folders that are not ours (<sys/...>).
#   check-layers.sh REPOSITORY_ROOT
set -euo pipefail
root=${1:-.}

# Twice the position in the chain, so that resources sits between framework and core.
declare -A rank=([framework]=0 [resources]=1 [core]=2 [state]=4 [library]=4 [runtime]=6 [ui]=8 [component]=10)

status=0
checked=0
while IFS=: read -r file line text; do
  if [[ $text =~ \"([^\"]*)\" ]]; then
    included=${BASH_REMATCH[1]}
  elif [[ $text =~ \<([^\>]*)\> ]]; then
    included=${BASH_REMATCH[1]}
    [[ -n ${rank[${included%%/*}]+set} ]] || continue
  else
    continue
  fi
  [[ $included == */* ]] || continue
  target=${included%%/*}
  case $file in
    src/*)
      from=${file#src/}; from=${from%%/*}
      [[ -n ${rank[$from]+set} ]] || continue
      # A folder name that is not one of src/ leaks something in (the host's stand-ins).
      if [[ -z ${rank[$target]+set} ]]; then
        echo "check-layers: $file:$line includes \"$included\", which is not below src/" >&2
        status=1
      elif [[ $target != "$from" ]] && (( rank[$target] >= rank[$from] )); then
        echo "check-layers: $file:$line: $from/ includes \"$included\", from a folder to its right or beside it" >&2
        status=1
      fi
      ;;
    devhost/*)
      if [[ -n ${rank[$target]+set} && $target != framework ]]; then
        echo "check-layers: $file:$line: devhost/ includes \"$included\"; of src/ it may use framework/ only" >&2
        status=1
      fi
      ;;
  esac
  checked=$((checked + 1))
done < <(cd "$root" && grep -rnE '^[[:space:]]*#[[:space:]]*include[[:space:]]*["<]' src devhost)

if (( checked == 0 )); then
  echo "check-layers: no includes found below $root/src and $root/devhost" >&2
  exit 1
fi
(( status == 0 )) && echo "check-layers: $checked folder includes point one way"
exit $status
