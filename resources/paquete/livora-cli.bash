# bash completion for livora-cli. The flags, and which of them take a value, are read from
# the program's own --ayuda, so the completion always matches the installed program.

_livora_cli_ayuda() {
    "${COMP_WORDS[0]}" --ayuda 2>/dev/null || livora-cli --ayuda 2>/dev/null
}

_livora_cli() {
    local cur prev ayuda
    _init_completion || return
    ayuda=$(_livora_cli_ayuda)

    case $prev in
        --filtro)
            # "  --filtro PRESET        mono, noir, sepia, …"
            COMPREPLY=($(compgen -W "$(sed -n 's/^ *--filtro [A-Z]* *//p' <<<"$ayuda" | tr -d ',')" -- "$cur"))
            return
            ;;
        --guardar)
            COMPREPLY=($(compgen -W "todas elegida" -- "$cur"))
            return
            ;;
        --unir)
            _filedir pdf
            return
            ;;
        --contrasena | --proteger | --titulo | --autor | --texto | --color)
            return
            ;;
    esac
    # Any other flag written with a value in capitals (--calidad Q, --pos X,Y) takes a number.
    if grep -qE -- "(^|[ [])$prev [A-Z]" <<<"$ayuda" && [[ $prev == --* ]]; then
        return
    fi
    if [[ $cur == -* ]]; then
        COMPREPLY=($(compgen -W "$(grep -oE -- '--[a-z][a-z-]*' <<<"$ayuda" | sort -u)" -- "$cur"))
        return
    fi
    # Every file: the program decides what it can open and says so.
    _filedir
} &&
    complete -F _livora_cli livora-cli
