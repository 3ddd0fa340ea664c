#!/bin/bash
# deb_test.sh BUILD_DIR VERSION
#
# The Debian package that `cpack -G DEB` makes in BUILD_DIR, as apt and lintian see it, one row per case.
set -u
# shellcheck source=checks.sh
. "$(dirname "$0")/checks.sh"
export build version=$2 arch deb
build=$(realpath "$1")
arch=$(dpkg --print-architecture)
deb=$build/atbash_${version}_$arch.deb

check "cpack makes it, named as Debian names it" 0 "" "" -- \
    'cd "$build" && rm -f "$deb" && cpack -G DEB >"$work/cpack.log" 2>&1 && [ -f "$deb" ] || { cat "$work/cpack.log"; exit 1; }'
# Modes, owners, section, priority, maintainer and stripping are lintian's; the files, what install_test.sh lists.
check "what it installs" 0 "" "" -- 'DESTDIR=$work/root cmake --install "$build" --prefix /usr >/dev/null &&
     diff <(cd "$work/root" && find . -type f | sort) <(dpkg-deb -c "$deb" | awk "\$1 !~ /^d/ {print \$6}" | sort)'
check "its name, version and architecture" 0 "atbash $version $arch" "" -- \
    'dpkg-deb -f "$deb" Package Version Architecture | cut -d " " -f 2 | paste -s -d " "'
check "its changelog's newest entry is this version" 0 "atbash ($version) unstable; urgency=medium" "" -- \
    'dpkg-deb --fsys-tarfile "$deb" | tar -xO ./usr/share/doc/atbash/changelog.gz | gzip -dc | head -n 1'
check "it depends on the C library, as found" 0 "yes" "" -- \
    'dpkg-deb -f "$deb" Depends | grep -q -E "^libc6 \(>= [0-9.]+\)$" && echo yes'
check "lintian has nothing to say" 0 "" "" -- 'TMPDIR=$work lintian "$deb" 2>&1 | sed "/^running with root privileges/d"'

finish deb
