# bash completion for tramino-cli: its commands, each command's options, their fixed values,
# and file names everywhere else.

_tramino_cli_options() {
    local panel="--panel-code --size"
    local picture="--fit --gravity --background --dither --auto-orient"
    case $1 in
    panel) echo "$panel --list --help" ;;
    check) echo "$panel --detect --help" ;;
    build) echo "$panel --mode --fast $picture --frames -j --jobs --keep-going -o --output --help" ;;
    convert) echo "$panel --fast $picture --frame --help" ;;
    render) echo "$panel --per-sheet -o --output --help" ;;
    project) echo "$panel --mode --show --fast -o --output $picture --frames --help" ;;
    esac
}

_tramino_cli_values() {
    case $1 in
    --mode) echo "normal shutter-lr shutter-tb circle" ;;
    --fit) echo "stretch contain cover" ;;
    --gravity) echo "center north south east west northwest northeast southwest southeast" ;;
    --dither) echo "none ordered diffusion" ;;
    --frames) echo "first all" ;;
    --panel-code) echo "1 2 3 4 5 6 7 8 9" ;;
    esac
}

_tramino_cli() {
    local cur=${COMP_WORDS[COMP_CWORD]} prev=${COMP_WORDS[COMP_CWORD - 1]}
    local commands="panel check build convert render project"
    COMPREPLY=()
    if [ "$COMP_CWORD" -eq 1 ]; then
        mapfile -t COMPREPLY < <(compgen -W "$commands --help --version" -- "$cur")
        return
    fi
    local command=${COMP_WORDS[1]}
    if [ "$command" = project ] && [ "$COMP_CWORD" -eq 2 ]; then
        mapfile -t COMPREPLY < <(compgen -W "new add list" -- "$cur")
        return
    fi
    local values
    values=$(_tramino_cli_values "$prev")
    if [ -n "$values" ]; then
        mapfile -t COMPREPLY < <(compgen -W "$values" -- "$cur")
        return
    fi
    case $prev in
    --size | --background | -j | --jobs | --frame | --per-sheet) return ;;
    -o | --output | --show) ;;
    *)
        if [[ $cur == -* ]]; then
            mapfile -t COMPREPLY < <(compgen -W "$(_tramino_cli_options "$command")" -- "$cur")
            return
        fi
        ;;
    esac
    if [ "$command" = render ] && [[ $prev == -o || $prev == --output ]]; then
        mapfile -t COMPREPLY < <(compgen -d -- "$cur")
    else
        mapfile -t COMPREPLY < <(compgen -f -- "$cur")
    fi
}

complete -o filenames -F _tramino_cli tramino-cli
