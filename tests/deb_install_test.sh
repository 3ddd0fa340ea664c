#!/bin/bash
# deb_install_test.sh PACKAGE.deb
#
# Installs the atbash package with dpkg, uses the command, removes it and checks that nothing is left. It changes
# the machine: tools/fresh-machine runs it, as root, in a fresh root.
set -u
# shellcheck source=checks.sh
. "$(dirname "$0")/checks.sh"
export deb
deb=$(realpath "$1")
version=$(dpkg-deb -f "$deb" Version)
[ "$(id -u)" -eq 0 ] || { echo "deb_install_test: needs root, in a machine of its own" >&2; exit 1; }
! dpkg-query -W atbash >/dev/null 2>&1 || { echo "deb_install_test: atbash is installed already" >&2; exit 1; }

# Every file and folder outside the caches, logs and this run's own.
snapshot() {
    find / -xdev \( -path /proc -o -path /sys -o -path /dev -o -path /tmp -o -path /work -o -path /root \
        -o -path /var/cache -o -path /var/log -o -name '*-old' \) -prune -o -print | sort
}
snapshot >"$work/before"

check "dpkg -i installs it" 0 "ii" "" -- 'dpkg -i "$deb" >/dev/null && dpkg-query -W -f "\${db:Status-Abbrev}" atbash | tr -d " "'
check "on the path" 0 "/usr/bin/atbash" "" -- "command -v atbash"
check "its version" 0 "atbash $version" "" -- "atbash --version"
check "it converts" 0 "Svool, Dliow!" "" -- "printf 'Hello, World!' | atbash"
check "man atbash" 0 "atbash - mirror the letters of a text (Atbash cipher)" "" -- \
    "LC_ALL=C MANWIDTH=80 man atbash | sed -n '/^NAME/{n;s/^ *//;p}'"
check "bash completes an alphabet's name, where bash-completion looks" 0 "hebrew" "" -- \
    '. /usr/share/bash-completion/completions/atbash && COMP_WORDS=(atbash -a h) COMP_CWORD=2 && _atbash && echo "${COMPREPLY[*]}"'
check "dpkg -r removes it" 0 "" "" -- 'dpkg -r atbash >/dev/null && dpkg-query -W -f "\${db:Status-Abbrev}" atbash 2>/dev/null | tr -d " "'
snapshot >"$work/after"
check "nothing is left behind" 0 "" "" -- 'diff "$work/before" "$work/after" | sed -n "/^[<>]/p"'

finish deb_install
