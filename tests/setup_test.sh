#!/bin/bash
# setup_test.sh
#
# What tools/setup asks of apt, one row per case, on this machine, where
# everything the project needs is installed. apt-get, apt-cache and sudo are
# stand-ins that note each call; `id` says whether the caller is root, and
# apt-config where apt's package lists are: full, or empty as in a fresh
# container.
set -u
root=$(cd "$(dirname "$0")/.." && pwd)
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
absent=quindarelvoxen-absent-package

mkdir "$work/with-sudo" "$work/without-sudo"
for tool in apt-get apt-cache; do
    printf '#!/bin/sh\necho "%s $*" >>"%s/calls"\n' "$tool" "$work" >"$work/without-sudo/$tool"
done
printf '#!/bin/sh\n[ "$1" = -u ] && echo "$SETUP_UID" && exit 0\nexec /usr/bin/id "$@"\n' >"$work/without-sudo/id"
printf '#!/bin/sh\necho "lists=$SETUP_LISTS/"\n' >"$work/without-sudo/apt-config"
mkdir "$work/full" "$work/full/partial" "$work/empty" "$work/empty/partial"
touch "$work/full/deb.debian.org_debian_dists_stable_InRelease" "$work/empty/lock"
cp "$work"/without-sudo/* "$work/with-sudo/"
printf '#!/bin/sh\necho "sudo $1 $2" >>"%s/calls"\nexec "$@"\n' "$work" >"$work/with-sudo/sudo"
chmod +x "$work"/with-sudo/* "$work"/without-sudo/*
# Only the stand-ins, and what setup uses besides.
for tool in sh dpkg dpkg-query grep sed ls clang env; do
    ln -s "$(command -v "$tool")" "$work/without-sudo/$tool"
    ln -s "$(command -v "$tool")" "$work/with-sudo/$tool"
done

# shellcheck source=checks.sh
. "$root/tests/checks.sh"
# check NAME UID TOOLS LISTS STATUS STDOUT STDERR CALLS -- ARGUMENT...
# Runs tools/setup ARGUMENT... as UID with the stand-ins in TOOLS and apt's
# package lists full or empty; its status, standard output, standard error
# and the calls made of apt and sudo (one line each, joined by "; ") must be
# as given.
check() {
    local name=$1 uid=$2 tools=$3 lists=$4 status=$5 stdout=$6 stderr=$7 calls=$8
    shift 9
    : >"$work/calls"
    local got=0
    SETUP_UID=$uid SETUP_LISTS=$work/$lists PATH=$work/$tools "$root/tools/setup" "$@" >"$work/out" 2>"$work/err" || got=$?
    local problems=""
    [ "$got" = "$status" ] || problems+=" status $got, not $status;"
    [ "$(cat "$work/out")" = "$stdout" ] || problems+=" standard output: $(cat "$work/out");"
    [ "$(cat "$work/err")" = "$stderr" ] || problems+=" standard error: $(cat "$work/err");"
    [ "$(paste -s -d ';' "$work/calls" | sed 's/;/; /g')" = "$calls" ] ||
        problems+=" calls: $(paste -s -d ';' "$work/calls");"
    verdict "$name" "$problems"
}

install="apt-get install -y -q $absent"
check "all there, root" 0 with-sudo full 0 "" "" "" --
check "all there, a user with sudo" 1000 with-sudo full 0 "" "" "" --
check "all there, a user without sudo" 1000 without-sudo full 0 "" "" "" --
check "all there that is named" 1000 without-sudo full 0 "" "" "" -- cmake wine32:i386
check "all there, empty package lists" 1000 without-sudo empty 0 "" "" "" --
check "one missing, root" 0 with-sudo full 0 "setup: installing $absent" "" "apt-cache show $absent; $install" -- "$absent"
check "one missing, a user with sudo" 1000 with-sudo full 0 "setup: installing $absent" "" \
    "apt-cache show $absent; sudo env DEBIAN_FRONTEND=noninteractive; $install" -- "$absent"
check "one missing, empty package lists" 0 with-sudo empty 0 "setup: installing $absent" "" \
    "apt-get update -q; $install" -- "$absent"
check "one missing, a user without sudo" 1000 without-sudo full 1 "" "setup: installing $absent needs root or sudo" "" -- "$absent"

finish setup
