# bash completion for trulvex-cli: subcommands, options, their values, and
# profile names read from `trulvex-cli profiles list`.

_trulvex_cli_profiles() {
  # Names one per line, from the database named on the line or the default.
  local file="" i
  for ((i = 1; i < COMP_CWORD; i++)); do
    case ${COMP_WORDS[i]} in
      --profiles) file=${COMP_WORDS[i + 1]} ;;
      --profiles=*) file=${COMP_WORDS[i]#--profiles=} ;;
    esac
  done
  if [[ -n $file ]]; then
    trulvex-cli profiles list --profiles "${file/#\~/$HOME}" 2>/dev/null
  else
    trulvex-cli profiles list 2>/dev/null
  fi
}

# Offers the lines of standard input that start with the word being typed,
# each escaped as the shell needs it.
_trulvex_cli_offer() {
  local cur=$1 line
  while IFS= read -r line; do
    [[ $line == "$cur"* ]] && COMPREPLY+=("$(printf '%q' "$line")")
  done
}

# File names, quoted by bash itself.
_trulvex_cli_files() {
  local IFS=$'\n'
  COMPREPLY=($(compgen -f -- "$1"))
  compopt -o filenames 2>/dev/null
}

_trulvex_cli() {
  local cur=${COMP_WORDS[COMP_CWORD]}
  local prev=${COMP_WORDS[COMP_CWORD - 1]}
  local command=${COMP_WORDS[1]} action=${COMP_WORDS[2]}
  COMPREPLY=()

  if ((COMP_CWORD == 1)); then
    COMPREPLY=($(compgen -W "table bin preview profiles help --help --version" -- "$cur"))
    return
  fi
  if [[ $command == profiles ]] && ((COMP_CWORD == 2)); then
    COMPREPLY=($(compgen -W "list show export import" -- "$cur"))
    return
  fi

  case $prev in
    -p | --profile)
      _trulvex_cli_offer "$cur" < <(_trulvex_cli_profiles)
      return ;;
    -o | --output | --profiles)
      _trulvex_cli_files "$cur"
      return ;;
    -e | --encoding)
      COMPREPLY=($(compgen -W "auto cp1251 utf-8" -- "$cur"))
      return ;;
    --output-encoding)
      COMPREPLY=($(compgen -W "cp1251 utf-8" -- "$cur"))
      return ;;
    --past-end)
      COMPREPLY=($(compgen -W "append cancel" -- "$cur"))
      return ;;
    --set)
      COMPREPLY=($(compgen -W "Ost1= Ost2= Directive= StartDataBlok= EndDataBlok=
        StartData= SI= EndData= RazdelitelData= Comment= CommentState=
        CountByte= PerenosPoSlovam= CountByteToComment= DeleteSumbolError=
        DeleteSpace= CountSpace=" -- "$cur"))
      compopt -o nospace 2>/dev/null
      return ;;
    --size)
      COMPREPLY=($(compgen -W "8x1 8x2 16x1 16x2 16x4 20x2 20x4 24x2 40x2 40x4" -- "$cur"))
      return ;;
    --format)
      COMPREPLY=($(compgen -W "text png" -- "$cur"))
      return ;;
    --theme)
      COMPREPLY=($(compgen -W "green blue white" -- "$cur"))
      return ;;
    --at | --scale | --delete-spaces)
      return ;;
  esac

  local options
  case $command in
    table) options="-p --profile --profiles --set -e --encoding
      --output-encoding -o --output -q --quiet --help" ;;
    bin) options="-o --output --existing --at --replace --past-end
      --delete-undisplayable --delete-spaces -e --encoding -q --quiet --help" ;;
    preview) options="-p --profile --profiles --set --size --format --scale
      --theme -e --encoding -o --output --help" ;;
    profiles)
      options="--profiles -q --quiet --help"
      [[ $action == import ]] && options+=" --all" ;;
    *) return ;;
  esac
  if [[ $cur == -* ]]; then
    COMPREPLY=($(compgen -W "$options" -- "$cur"))
    return
  fi

  # Operands: profile names or files, by the action and its place.
  if [[ $command == profiles ]]; then
    local operands=0 i
    for ((i = 3; i < COMP_CWORD; i++)); do
      case ${COMP_WORDS[i]} in
        --profiles) ((i++)) ;;
        -*) ;;
        *) ((operands++)) ;;
      esac
    done
    case $action in
      show)
        ((operands == 0)) && _trulvex_cli_offer "$cur" < <(_trulvex_cli_profiles) ;;
      export)
        if ((operands == 0)); then
          _trulvex_cli_files "$cur"
        else
          _trulvex_cli_offer "$cur" < <(_trulvex_cli_profiles)
        fi ;;
      import)
        if ((operands == 0)); then
          _trulvex_cli_files "$cur"
        else
          # The names of the file being imported.
          local source=${COMP_WORDS[3]}
          _trulvex_cli_offer "$cur" < <(trulvex-cli profiles list \
            --profiles "${source/#\~/$HOME}" 2>/dev/null)
        fi ;;
    esac
    return
  fi
  _trulvex_cli_files "$cur"
}

complete -F _trulvex_cli trulvex-cli
