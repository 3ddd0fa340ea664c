#!/bin/bash
# install_test.sh BUILD_DIR VERSION
#
# `cmake --install` of the build into a DESTDIR, and the manual page, as a user meets them, one row per case.
set -u
# shellcheck source=checks.sh
. "$(dirname "$0")/checks.sh"
export build version=$2 installed=$work/root/opt/atbash-test MANWIDTH=80 LC_ALL=C
build=$(realpath "$1")
export atbash=$installed/bin/atbash page=$installed/share/man/man1/atbash.1.gz
DESTDIR=$work/root cmake --install "$build" --prefix /opt/atbash-test >"$work/install.log" 2>&1 ||
    { cat "$work/install.log"; exit 1; }

check "files installed, and only those" 0 "bin/atbash
share/bash-completion/completions/atbash
share/doc/atbash/changelog.gz
share/doc/atbash/copyright
share/man/man1/atbash.1.gz" "" -- 'cd "$installed" && find . -type f | sed "s|^\./||" | sort'
check "the command runs" 0 "Svool, Dliow!" "" -- 'printf "Hello, World!" | "$atbash"'
check "its version" 0 "atbash $version" "" -- '"$atbash" --version'
# What bash completes, a line per word typed: a name after -a, --alphabet and its =; options; files; files after --.
check "bash completes the options, the alphabets' names and files" 0 "hebrew
latin hebrew greek
greek
--alphabet=
-a --alphabet= -h --help --version --
hello.txt
-x" "" -- 'cd "$work" && touch hello.txt -- -x && . "$installed/share/bash-completion/completions/atbash" &&
     for words in "atbash -a h" "atbash --alphabet x" "atbash --alphabet = g" "atbash --alph" "atbash -" "atbash hel" "atbash -- -"; do
         read -r -a COMP_WORDS <<<"$words"; COMP_CWORD=$((${#COMP_WORDS[@]} - 1))
         [ "${COMP_WORDS[COMP_CWORD]}" != x ] || COMP_WORDS[COMP_CWORD]=""
         _atbash; echo "${COMPREPLY[*]}"; done'
check "the page is clean to groff" 0 "" "" -- 'zcat "$page" | groff -man -ww -z'
check "man renders its name" 0 "atbash - mirror the letters of a text (Atbash cipher)" "" -- \
    'man -l "$page" | sed -n "/^NAME/{n;s/^ *//;p}"'
check "man shows every option of --help" 0 "" "" -- \
    'for option in $("$atbash" --help | grep -E "^ +-" | grep -o -E -e "-{1,2}[a-z]+"); do
         man -l "$page" | grep -q -F -e "$option" || echo "no $option"; done'
check "man shows the exit statuses" 0 "2" "" -- 'man -l "$page" | grep -c -E "^ +[01] +if "'
check "man has the sections help cannot carry" 0 "EXAMPLES
SEE ALSO" "" -- 'man -l "$page" | grep -E "^(EXAMPLES|SEE ALSO)$"'
check "man's footer carries the version" 0 "yes" "" -- 'man -l "$page" | tail -n 1 | grep -q "atbash $version" && echo yes'
check "the copyright is the licence's" 0 "Copyright: 2026 Torvangrel
License: Expat" "" -- 'grep -x -e "Copyright: 2026 Torvangrel" -e "License: Expat" "$installed/share/doc/atbash/copyright"'

# A user's own build, without a preset or the package, needs no help2man (none on PATH), and a warning stops nothing.
mkdir "$work/bin"
for tool in /usr/bin/*; do [ "${tool##*/}" = help2man ] || ln -s "$tool" "$work/bin/"; done
check "a user's build without the package needs no help2man" 0 "" "" -- \
    'PATH=$work/bin cmake -S "$root" -B "$work/user" -DCMAKE_FIND_USE_CMAKE_SYSTEM_PATH=OFF \
         -DCMAKE_CXX_COMPILER="$(command -v c++)" -DCMAKE_MAKE_PROGRAM="$(command -v make)" \
         -DBUILD_TESTING=OFF -DQUINDARELVOXEN_PACKAGING=OFF \
         -DCMAKE_CXX_FLAGS="-DTWICE=1 -DTWICE=2" >"$work/user.log" 2>&1 || cat "$work/user.log"'
check "a new compiler's warning does not stop a user's build" 0 "" "" -- \
    'PATH=$work/bin cmake --build "$work/user" --target atbash >"$work/user.log" 2>&1 || cat "$work/user.log"'

finish install
