#!/bin/bash
# package_test.sh BUILD_DIR VERSION
#
# The release archive that cpack makes, as a user unpacks it, one row per case.
set -u
# shellcheck source=checks.sh
. "$(dirname "$0")/checks.sh"
export build=$1 release=quindarelvoxen-$2-win32

check "cpack makes $release.zip" 0 "" "" -- \
    'cd "$build" && rm -f "$release.zip" && cpack -G ZIP >"$work/cpack.log" 2>&1 && [ -f "$release.zip" ] ||
     { cat "$work/cpack.log"; exit 1; }; cd "$work" && cmake -E tar xf "$build/$release.zip"'
check "its files" 0 "LICENSE README.md SHA256SUMS atbash.exe docs quindarelvoxen.exe" "" -- 'ls "$work/$release" | paste -s -d " "'
check "the programs' sums" 0 "" "" -- 'cd "$work/$release" && sha256sum --quiet -c SHA256SUMS'
check "the MIT licence" 0 "" "" -- 'grep -q "^MIT License" "$work/$release/LICENSE"'
check "the README's links and picture lead into the archive's own docs/" 0 "" "" -- \
    'cd "$work/$release" && for target in $(grep -o "](docs/[^)#]*" README.md | cut -c 3-); do [ -f "$target" ] || echo "no $target"; done'
check "quindarelvoxen.exe is the built one" 0 "" "" -- 'cmp "$work/$release/quindarelvoxen.exe" "$build/quindarelvoxen.exe"'

finish package
