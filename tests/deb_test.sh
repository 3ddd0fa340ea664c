#!/bin/bash
# deb_test.sh BUILD_DIR VERSION
#
# The Debian package that `cpack -G DEB` makes in BUILD_DIR, as apt and
# lintian see it, one row per case.
set -u
build=$(realpath "$1")
version=$2
arch=$(dpkg --print-architecture)
deb=$build/atbash_${version}_$arch.deb

rm -f "$deb"
(cd "$build" && cpack -G DEB) >/dev/null 2>&1 || { (cd "$build" && cpack -G DEB); exit 1; }

# shellcheck source=checks.sh
. "$(dirname "$0")/checks.sh"
# As the rows name them: quoted for the shell.
deb=$(printf %q "$deb")
build=$(printf %q "$build")

check "named as Debian names it" 0 "yes" "" -- "[ -f $deb ] && echo yes"
check "what it installs" 0 "-rwxr-xr-x root/root ./usr/bin/atbash
-rw-r--r-- root/root ./usr/share/doc/atbash/changelog.gz
-rw-r--r-- root/root ./usr/share/doc/atbash/copyright
-rw-r--r-- root/root ./usr/share/man/man1/atbash.1.gz" "" -- \
    "dpkg-deb -c $deb | awk '\$1 !~ /^d/ {print \$1, \$2, \$6}' | sort -k 3"
check "its name, version and architecture" 0 "atbash $version $arch" "" -- \
    "dpkg-deb -f $deb Package Version Architecture | cut -d ' ' -f 2 | paste -s -d ' '"
check "its changelog's newest entry is this version" 0 "atbash ($version) unstable; urgency=medium" "" -- \
    "dpkg-deb --fsys-tarfile $deb | tar -xO ./usr/share/doc/atbash/changelog.gz | gzip -dc | head -n 1"
check "it depends on the C library, as found" 0 "yes" "" -- \
    "dpkg-deb -f $deb Depends | grep -q -E '^libc6 \(>= [0-9.]+\)$' && echo yes"
check "a section, a priority and a maintainer" 0 "utils optional" "" -- \
    "dpkg-deb -f $deb Section Priority Maintainer | grep -q '^Maintainer: .* <.*@.*>$' &&
     dpkg-deb -f $deb Section Priority | cut -d ' ' -f 2 | paste -s -d ' '"
check "the command in it is stripped" 0 "yes" "" -- \
    "dpkg-deb --fsys-tarfile $deb | tar -xO ./usr/bin/atbash >$build/atbash.packaged &&
     ! objdump -h $build/atbash.packaged | grep -q -e '\.symtab' -e '\.debug' && echo yes"
check "lintian has nothing to say" 0 "" "" -- "lintian $deb 2>&1 | sed '/^running with root privileges/d'"

finish deb
