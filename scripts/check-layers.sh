#!/usr/bin/env bash
# Checks that each of the library's modules includes only its own headers and
# those of the layers below it, so that no include cycle can form:
#   platform < core < time < usage < settings < monitor < entry
#   check-layers.sh SRC-DIR
# Prints every include that breaks the rule and exits 1 if there is one.
set -euo pipefail
src=${1:?usage: check-layers.sh SRC-DIR}

declare -A below=(
  [platform]=""
  [core]="platform"
  [time]="platform core"
  [usage]="platform core time"
  [settings]="platform core time usage"
  [monitor]="platform core time usage settings"
  [entry]="platform core time usage settings monitor"
)

module_of() {
  case $1 in
    */*) echo "${1%%/*}" ;;
    *) echo "" ;;  # the host contract, plvlib32.h, is everyone's
  esac
}

broken=0
cd "$src"
while IFS= read -r file; do
  from=$(module_of "$file")
  if [[ -z ${below[$from]+set} ]]; then
    echo "$file: in no known layer"
    broken=1
    continue
  fi
  while IFS= read -r included; do
    to=$(module_of "$included")
    [[ -z $to || $to == "$from" ]] && continue
    if [[ " ${below[$from]} " != *" $to "* ]]; then
      echo "$file: includes $included ($from may include only: ${below[$from]:-its own headers})"
      broken=1
    fi
  done < <(sed -n 's/^#include "\([^"]*\)".*/\1/p' "$file")
done < <(find . -name '*.h' -o -name '*.cc' | sed 's#^\./##' | sort)
exit $broken
