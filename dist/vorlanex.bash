# bash completion for vorlanex

_vorlanex_words() {
    # Sub-commands, then the keywords of the language, for the first word.
    printf '%s\n' convert configure update reset \
        set invert inv increase inc decrease dec tristate tri sleep exec clear meta down up \
        type boot swap press using save restore requires map version state status lock \
        password memorize recall speed expand
}

_vorlanex_keys() {
    vorlanex --keys 2>/dev/null | sed -e 's/^\$[0-9A-F]* *[0-9]* *//' -e 's/, /\n/g'
    printf '%s\n' LOCKED UNLOCKED
}

_vorlanex() {
    local cur=${COMP_WORDS[COMP_CWORD]} prev=${COMP_WORDS[COMP_CWORD-1]}
    local options="-h --help -v --version -d --device -D --delay -k --keys -p --preserve -i --identify"
    COMPREPLY=()

    case $prev in
        -d|--device) COMPREPLY=($(compgen -W "usb usb:" -- "$cur")); return ;;
        -D|--delay) return ;;
    esac
    if [[ $cur == -* ]]; then
        COMPREPLY=($(compgen -W "$options" -- "$cur"))
        return
    fi

    # The first word that is neither an option nor an option's argument.
    local i first="" position=0
    for ((i = 1; i < COMP_CWORD; i++)); do
        case ${COMP_WORDS[i]} in
            -d|--device|-D|--delay) ((i++)) ;;
            -*) ;;
            *) [[ -z $first ]] && first=${COMP_WORDS[i]}; ((position++)) ;;
        esac
    done

    case $first in
        "") COMPREPLY=($(compgen -W "$(_vorlanex_words)" -- "$cur") $(compgen -f -- "$cur")) ;;
        convert|configure) COMPREPLY=($(compgen -f -- "$cur")) ;;
        update)
            if ((position == 1)); then
                COMPREPLY=($(compgen -f -X '!*.@(bin|hex|BIN|HEX)' -- "$cur") $(compgen -d -- "$cur"))
            else
                COMPREPLY=($(compgen -f -- "$cur"))
            fi ;;
        reset) ;;
        *) COMPREPLY=($(compgen -W "$(_vorlanex_keys) port bit bits to fast slow" -- "$cur")) ;;
    esac
}

complete -F _vorlanex vorlanex
