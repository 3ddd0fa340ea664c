#!/bin/bash
# What tools/setup asks of apt, one row per case, where all that the project
# needs is installed; stand-ins of apt, sudo, id and dpkg-query note or play it.
set -u
# shellcheck source=checks.sh
. "$(dirname "$0")/checks.sh"
absent=quindarelvoxen-absent-package

for tool in apt-get apt-cache; do stand_in "$work/without-sudo/$tool" "echo \"$tool \$*\" >&3"; done
stand_in "$work/without-sudo/id" '[ "$1" = -u ] && echo "$SETUP_UID" && exit 0' 'exec /usr/bin/id "$@"'
stand_in "$work/without-sudo/apt-config" "echo \"lists='\$SETUP_LISTS/'\""
# Only the stand-ins, and what setup uses besides.
for tool in sh dpkg dpkg-query grep sed paste ls clang env; do ln -s "$(command -v "$tool")" "$work/without-sudo/"; done
stand_in "$work/with-sudo/sudo" 'echo "sudo $1 $2" >&3' 'exec "$@"'
# dpkg in the midst of another apt's work: man-db's triggers still to run.
stand_in "$work/triggers/dpkg-query" \
    "$(command -v dpkg-query) \"\$@\" | sed \"s/^install ok installed man-db\$/install ok triggers-pending man-db/\""
mkdir -p "$work"/{full,empty}/partial
touch "$work/full/mirror.example_debian_dists_stable_InRelease" "$work/empty/lock"

# as UID TOOLS LISTS [ARGUMENT...]: tools/setup ARGUMENT... as UID, with apt's
# LISTS and TOOLS' stand-ins before without-sudo's, their calls among its lines.
as() {
    SETUP_UID=$1 SETUP_LISTS=$work/$3 PATH=$work/$2:$work/without-sudo "$root/tools/setup" "${@:4}" 3>&1
}
export -f as

install="apt-get install -y -q -o DPkg::Lock::Timeout=600 $absent"
# Where nothing is missing, nothing asks whether the caller is root or has sudo.
check "all there, a user without sudo" 0 "" "" -- as 1000 without-sudo full
check "all there that is named" 0 "" "" -- as 1000 without-sudo full cmake wine32:i386
check "all there, empty package lists" 0 "" "" -- as 1000 without-sudo empty
check "all there, triggers still to run" 0 "" "" -- as 0 triggers full man-db
check "one missing, root" 0 "apt-cache show $absent
setup: installing $absent
$install" "" -- as 0 with-sudo full "$absent"
check "one missing, a user with sudo" 0 "apt-cache show $absent
setup: installing $absent
sudo env DEBIAN_FRONTEND=noninteractive
$install" "" -- as 1000 with-sudo full "$absent"
check "one missing, empty package lists" 0 "apt-get update -q
setup: installing $absent
$install" "" -- as 0 with-sudo empty "$absent"
check "one missing, a user without sudo" 1 "" "^setup: installing $absent needs root or sudo\$" -- \
    as 1000 without-sudo full "$absent"

finish setup
