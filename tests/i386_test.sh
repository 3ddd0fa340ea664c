#!/bin/bash
# How the tools run Wine's 32-bit part, one row per case (docs/testing.md), on a kernel that refuses 32-bit
# code: a private namespace where a binfmt_misc handler that is no program takes i386 ELF files. Rows that
# need what cannot be had here are skipped (see can): the test ends with 77 and says why.
set -u
# shellcheck source=checks.sh
. "$(dirname "$0")/checks.sh"

printf 'not a program\n' >"$work/refuse"
# What a command run by tools/lib/i386 sees; Wine's loader is a 32-bit program.
stand_in "$work/report" 'echo "$(tools/lib/i386 mode test); $(id -u):$(id -g); $(wine --version)"'

# Stand-ins for mount on a kernel before 6.7 (no binfmt_misc in a user
# namespace), for apt without qemu 10 (its failure names the host's own mirror,
# as apt's does), and for apt that offers qemu 10 in a package made here.
stand_in "$work/old-kernel/mount" 'echo "mount: /proc/sys/fs/binfmt_misc: permission denied." >&2' 'exit 32'
stand_in "$work/no-qemu/apt-cache" 'echo "qemu-user:"; echo "  Candidate: 1:7.2+dfsg-7"'
cat >"$work/no-qemu/apt-get" <<'EOF'
#!/bin/sh
[ "$1" != indextargets ] || exec echo "http://mirror.example/debian/ $(. /etc/os-release && echo "$VERSION_CODENAME")"
for option; do
    case $option in Dir::Etc::SourceList=*) echo "E: Failed to fetch $(cut -d ' ' -f 3 "${option#*=}")${OFFLINE:+  Could not resolve 'mirror.example'}" ;; esac
done
exit 100
EOF
chmod 755 "$work/refuse" "$work/no-qemu/apt-get"
mkdir -p "$work/package/DEBIAN"
printf 'Package: qemu-user\nVersion: 1:10.0.2\nArchitecture: amd64\nMaintainer: nobody <nobody@example.org>\nDescription: a stand-in\n' \
    >"$work/package/DEBIAN/control"
stand_in "$work/package/usr/bin/qemu-i386" 'echo "qemu-i386 version 10.0.2"'
chmod -R u=rwX,go=rX "$work/package"
dpkg-deb --root-owner-group -b "$work/package" "$work/qemu-user_1%3a10.0.2_amd64.deb" >/dev/null
stand_in "$work/offline/apt-cache" 'echo "qemu-user:"; echo "  Candidate: 1:10.0.2"'
stand_in "$work/offline/apt-get" "for word; do [ \"\$word\" != download ] || exec cp $(printf %q "$work/qemu-user_1%3a10.0.2_amd64.deb") .; done" 'exit 100'
# Copies of the tools without build/'s qemu-i386: to find none, to fetch one.
for copy in bare fetching; do mkdir "$work/$copy" && cp -r "$root/tools" "$work/$copy/"; done

# namespaced TREE UID:GID COMMAND [REFUSE]: the shell COMMAND in TREE as UID:GID, with a binfmt_misc of its own
# (with REFUSE, every i386 program fails there). Root first makes a /proc of its own: a user namespace may not
# mount anew one that bwrap covers in part.
namespaced() {
    local fresh_proc=()
    [ "$(id -u)" != 0 ] || fresh_proc=(unshare --mount --pid --fork --kill-child --mount-proc)
    "${fresh_proc[@]}" unshare --user --map-root-user --mount --fork bash -c '
        mount -t binfmt_misc binfmt_misc /proc/sys/fs/binfmt_misc || exit 99
        [ -z "$4" ] || "$1/tools/lib/i386" register /proc/sys/fs/binfmt_misc "$4" refuse-i386 || exit 99
        cd "$1" && exec unshare --map-user="${2%:*}" --map-group="${2#*:}" -- bash -c "$3"' sh "$1" "$2" "$3" "${4:-}"
}
# refusing COMMAND, plain COMMAND: in the tree's root, as root there.
refusing() { namespaced "$root" 0:0 "$1" "$work/refuse"; }
plain() { namespaced "$root" 0:0 "$1"; }
# as_user COMMAND: like plain, as a user who is not root, in a copy of the tools, qemu-i386 and report that it
# owns. As root, that user is no one's (no account or process has its uid), and the copy lies on a tmpfs of the
# row's own at /tmp, which runs programs.
as_user() {
    if [ "$(id -u)" != 0 ]; then
        HOME=$work/user namespaced "$work/user" "$user" "$1"
        return
    fi
    # The copy is made from the folder's handle: the tmpfs may hide the tree.
    unshare --mount --pid --fork --kill-child --mount-proc bash -c '
        cd "$work/user" && mount -t tmpfs -o mode=755 tmpfs /tmp && cp -r . /tmp/user && chown -R "$user" /tmp/user &&
        HOME=/tmp/user exec setpriv --reuid="${user%:*}" --regid="${user#*:}" --clear-groups -- \
            bash -c "namespaced /tmp/user \"\$user\" \"\$1\"" sh "$1"' sh "$1"
}

# Why namespaced (or emulating) rows cannot be played here, in the tool's words.
no_namespace=$("$root/tools/lib/i386" possible) no_qemu=
user=$(id -u):$(id -g)
if [ "$user" = 0:0 ]; then
    user=62000
    while getent passwd "$user" >/dev/null || getent group "$user" >/dev/null || pgrep -U "$user" >/dev/null; do
        user=$((user + 1))
    done
    user=$user:$user
fi
if [ -z "$no_namespace" ]; then
    # The emulating rows use the tree's qemu-i386. Only a network that apt
    # cannot reach may keep it away; any other failure fails.
    if ! plain 'QUINDARELVOXEN_I386=emulate tools/lib/i386 mode test' >/dev/null 2>"$work/err"; then
        no_qemu=$(sed 's/^test: QUINDARELVOXEN_I386=emulate, but //' "$work/err")
        case $no_qemu in
        "no qemu-i386 of qemu 10 or later is to be had: apt cannot reach the network "*) ;;
        *) verdict "the tree's qemu-i386 is fetched" " $no_qemu" ;;
        esac
    fi
    mkdir -p "$work/user/build/qemu"
    cp -r "$root/tools" "$work/report" "$work/user/"
    [ -n "$no_qemu" ] || cp "$root/build/qemu/qemu-i386" "$work/user/build/qemu/"
fi
# Each row says which mode it wants.
unset QUINDARELVOXEN_I386

export -f refusing namespaced plain as_user
export user

# can HOST [emulating]: whether a row in a namespace (with qemu-i386) can be
# played here; one that cannot counts as skipped.
can() {
    [ -n "$no_namespace" ] || { [ "${2:-}" = emulating ] && [ -n "$no_qemu" ]; } || return 0
    skipped=$((skipped + 1))
    return 1
}
# The versions of qemu and Wine, which vary, as VERSION.
export versions="sed -E 's/qemu-i386 1[0-9][0-9.]*/qemu-i386 VERSION/; s/wine-[0-9].*/wine-VERSION/'"

refused='this kernel does not run 32-bit x86 code, and'
forbidden="$refused QUINDARELVOXEN_I386=native forbids emulating it; unset it to emulate with qemu-i386\$"
export wine_run='tools/lib/wine-run build/prefix program.exe'  # in the tree's root
export describe='printf "%s; " "$(tools/lib/i386 describe test)"'

can refusing emulating && check "auto emulates where refused" 0 \
    "32-bit code is emulated with qemu-i386 VERSION: this kernel does not run it; active; 0:0; wine-VERSION" "" -- \
    'refusing "$describe && tools/lib/i386 run test \"\$work/report\"" | eval "$versions"'
can plain emulating && check "emulate forced anywhere" 0 \
    "32-bit code is emulated with qemu-i386 VERSION: QUINDARELVOXEN_I386=emulate; active; 0:0; wine-VERSION" "" -- \
    'plain "export QUINDARELVOXEN_I386=emulate && $describe && tools/lib/i386 run test \"\$work/report\"" | eval "$versions"'
can as_user emulating && check "emulated as the calling user" 0 "active; $user; wine-VERSION" "" -- \
    'as_user "QUINDARELVOXEN_I386=emulate tools/lib/i386 run test ./report" | eval "$versions"'
# A process left running would hold the pipe open until the timeout.
can plain emulating && check "emulated: nothing outlives the command" 0 gone "" -- \
    'plain "QUINDARELVOXEN_I386=emulate tools/lib/i386 run test sh -c \"sleep 1000 &\" | timeout 10 cat && echo gone"'
# Debian 13's own qemu-user, downloaded and unpacked as it comes, offline.
can plain && check "qemu-i386 fetched from the package that apt downloads" 0 \
    "32-bit code is emulated with qemu-i386 10.0.2: QUINDARELVOXEN_I386=emulate" "" -- \
    'plain "QUINDARELVOXEN_I386=emulate PATH=\"\$work/offline:\$PATH\" \"\$work/fetching/tools/lib/i386\" describe test" &&
     cmp "$work/package/usr/bin/qemu-i386" "$work/fetching/build/qemu/qemu-i386"'

can refusing && check "wine-run, native forced" 1 "" "^wine-run: $forbidden" -- 'refusing "QUINDARELVOXEN_I386=native $wine_run"'
can refusing && check "run, native forced" 1 "" "^run: $forbidden" -- 'refusing "QUINDARELVOXEN_I386=native tools/run"'
can refusing && check "test, native forced" 1 "" "^test: $forbidden" -- 'refusing "QUINDARELVOXEN_I386=native tools/test"'
can refusing && check "no user namespaces" 1 "" \
    "^wine-run: $refused emulating it needs a user namespace, and none can be made here \(unshare: .+\): allow them" -- \
    'refusing "echo 0 >/proc/sys/user/max_user_namespaces && $wine_run"'
can refusing && check "kernel before 6.7" 1 "" \
    "^wine-run: $refused emulating it privately needs a binfmt_misc of its own in a user namespace, which Linux 6.7 and later give \(mount: /proc/sys/fs/binfmt_misc: permission denied.\): use a kernel built with IA-32 emulation, or a newer one\$" -- \
    'refusing "PATH=\"\$work/old-kernel:\$PATH\" $wine_run"'
can refusing && check "no qemu-i386 to be had, from the host's own mirror" 1 "" \
    "^wine-run: $refused no qemu-i386 of qemu 10 or later is to be had: apt failed \(E: Failed to fetch http://mirror.example/debian/\); check" -- \
    'refusing "cd \"\$work/bare\" && PATH=\"\$work/no-qemu:\$PATH\" $wine_run"'
can plain && check "emulate forced, no qemu-i386, the network out of reach" 1 "" \
    "^wine-run: QUINDARELVOXEN_I386=emulate, but no qemu-i386 of qemu 10 or later is to be had: apt cannot reach the network \(E: Failed to fetch http://mirror.example/debian/  Could not resolve 'mirror.example'\); check" -- \
    'plain "cd \"\$work/bare\" && QUINDARELVOXEN_I386=emulate OFFLINE=1 PATH=\"\$work/no-qemu:\$PATH\" $wine_run"'
check "an unknown mode" 1 "" "^wine-run: QUINDARELVOXEN_I386 is 'sometimes'; set it to auto, native or emulate\$" -- \
    'cd "$root" && QUINDARELVOXEN_I386=sometimes $wine_run'

# A chroot (schroot's, sbuild's, many containers') makes no user namespace.
can plain && check "in a chroot, the rows that need a namespace are skipped, and why" 77 \
    "i386: 1 passed, 0 failed, N skipped: emulating it needs a user namespace, and none can be made here (unshare: unshare failed: Operation not permitted): allow them (sysctl user.max_user_namespaces, kernel.unprivileged_userns_clone), or run outside a chroot or container that forbids them" "" -- \
    'mkdir "$work/chroot" && unshare --user --map-root-user --mount --fork sh -c \
        "mount --rbind / \"\$1\" && exec chroot \"\$1\" bash \"\$2/tests/i386_test.sh\"" sh "$work/chroot" "$root" >"$work/out"
     status=$?; sed -n "\$s/[0-9]* skipped/N skipped/p" "$work/out"; exit $status'

finish i386 "${no_namespace:-$no_qemu}"
