#!/bin/bash
# What tools/setup asks of apt, one row per case, on this machine, where all
# that the project needs is installed; stand-ins of apt, sudo, id and
# dpkg-query note each call or play the case.
set -u
# shellcheck source=checks.sh
. "$(dirname "$0")/checks.sh"
absent=quindarelvoxen-absent-package

mkdir "$work/with-sudo" "$work/without-sudo" "$work/triggers"
for tool in apt-get apt-cache; do
    printf '#!/bin/sh\necho "%s $*" >>"%s/calls"\n' "$tool" "$work" >"$work/without-sudo/$tool"
done
printf '#!/bin/sh\n[ "$1" = -u ] && echo "$SETUP_UID" && exit 0\nexec /usr/bin/id "$@"\n' >"$work/without-sudo/id"
printf '#!/bin/sh\necho "lists='"'"'$SETUP_LISTS/'"'"'"\n' >"$work/without-sudo/apt-config"
chmod 755 "$work"/without-sudo/*
mkdir "$work/full" "$work/full/partial" "$work/empty" "$work/empty/partial"
touch "$work/full/mirror.example_debian_dists_stable_InRelease" "$work/empty/lock"
# Only the stand-ins, and what setup uses besides.
for tool in sh dpkg dpkg-query grep sed ls clang env; do
    ln -s "$(command -v "$tool")" "$work/without-sudo/$tool"
done
cp -P "$work"/without-sudo/* "$work/with-sudo/"
printf '#!/bin/sh\necho "sudo $1 $2" >>"%s/calls"\nexec "$@"\n' "$work" >"$work/with-sudo/sudo"
chmod 755 "$work/with-sudo/sudo"
# dpkg in the midst of another apt's work: man-db's triggers still to run.
cp -P "$work"/with-sudo/* "$work/triggers/"
rm "$work/triggers/dpkg-query"
printf '#!/bin/sh\n%s "$@" | sed "s/^install ok installed man-db$/install ok triggers-pending man-db/"\n' \
    "$(command -v dpkg-query)" >"$work/triggers/dpkg-query"
chmod 755 "$work/triggers/dpkg-query"

# as UID TOOLS LISTS [ARGUMENT...]: tools/setup ARGUMENT... as UID, with the
# stand-ins in TOOLS and LISTS for apt's lists; then the calls it made.
as() {
    : >"$work/calls"
    local status=0
    SETUP_UID=$1 SETUP_LISTS=$work/$3 PATH=$work/$2 "$root/tools/setup" "${@:4}" || status=$?
    cat "$work/calls"
    return "$status"
}
export -f as

install="apt-get install -y -q -o DPkg::Lock::Timeout=600 $absent"
# Where nothing is missing, nothing asks whether the caller is root or has sudo.
check "all there, a user without sudo" 0 "" "" -- as 1000 without-sudo full
check "all there that is named" 0 "" "" -- as 1000 without-sudo full cmake wine32:i386
check "all there, empty package lists" 0 "" "" -- as 1000 without-sudo empty
check "all there, triggers still to run" 0 "" "" -- as 0 triggers full man-db
check "one missing, root" 0 "setup: installing $absent
apt-cache show $absent
$install" "" -- as 0 with-sudo full "$absent"
check "one missing, a user with sudo" 0 "setup: installing $absent
apt-cache show $absent
sudo env DEBIAN_FRONTEND=noninteractive
$install" "" -- as 1000 with-sudo full "$absent"
check "one missing, empty package lists" 0 "setup: installing $absent
apt-get update -q
$install" "" -- as 0 with-sudo empty "$absent"
check "one missing, a user without sudo" 1 "" "^setup: installing $absent needs root or sudo\$" -- \
    as 1000 without-sudo full "$absent"

finish setup
