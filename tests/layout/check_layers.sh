#!/usr/bin/env bash
# Fails when an include in src/ points up or sideways across the layers:
#   src/core/base -> engine -> profiles -> shell   (each may use those before it)
#   src/cli/  may use src/core/; src/gui/ may use src/core/
# Nothing under src/core/ or src/cli/ includes Qt, QScintilla or gui/, and
# every project include names its folder ("core/base/x.h"), so that the
# path says which layer it comes from.
set -u
src=${1:?usage: check_layers.sh SRC_DIR}
cd "$src" || exit 2

rank() {
  case $1 in
    core/base) echo 0 ;; core/engine) echo 1 ;; core/profiles) echo 2 ;;
    core/shell) echo 3 ;; *) echo -1 ;;
  esac
}

failures=0
fail() { echo "$1: $2"; failures=$((failures + 1)); }

while IFS= read -r file; do
  dir=$(dirname "$file")
  while IFS= read -r line; do
    if [[ $line =~ ^[[:space:]]*#[[:space:]]*include[[:space:]]*\<(Q|Qsci/|qt|qsci) ]]; then
      [[ $dir == gui ]] || fail "$file" "includes Qt or QScintilla: $line"
      continue
    fi
    [[ $line =~ ^[[:space:]]*#[[:space:]]*include[[:space:]]*\"([^\"]+)\" ]] || continue
    target=${BASH_REMATCH[1]}
    [[ $target == *.moc ]] && continue
    target_dir=$(dirname "$target")
    case $target_dir in
      core/base | core/engine | core/profiles | core/shell | cli | gui) ;;
      *) fail "$file" "include without its layer folder: $line"; continue ;;
    esac
    case $dir in
      core/*)
        if [[ $target_dir != core/* ]]; then
          fail "$file" "core includes $target_dir: $line"
        elif (($(rank "$target_dir") > $(rank "$dir"))); then
          fail "$file" "includes a higher layer: $line"
        fi
        ;;
      cli)
        [[ $target_dir == gui ]] && fail "$file" "cli includes gui: $line" ;;
      gui)
        [[ $target_dir == cli ]] && fail "$file" "gui includes cli: $line" ;;
      *) fail "$file" "file outside the known layers" ;;
    esac
  done < "$file"
done < <(find core cli gui -type f \( -name '*.h' -o -name '*.cpp' \) | sort)

if ((failures > 0)); then
  echo "$failures include(s) break the layer rule"
  exit 1
fi
