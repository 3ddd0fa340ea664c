#!/bin/sh
# package_test.sh BUILD_DIR VERSION
#
# The release archive that cpack makes, as a user unpacks it: its files, the
# programs' SHA-256 sums, and the README's links.
set -eu
build=$1
version=$2
name=quindarelvoxen-$version-win32
work=$(mktemp -d "$build/package-test.XXXXXX")
trap 'rm -rf "$work"' EXIT

cd "$build"
rm -f "$name.zip"
cpack -G ZIP >"$work/cpack.log" 2>&1 || { cat "$work/cpack.log"; exit 1; }
[ -f "$name.zip" ] || { echo "package: no $name.zip"; exit 1; }

cd "$work"
cmake -E tar xf "$build/$name.zip"
found=$(cd "$name" && ls | sort | tr '\n' ' ')
expected="LICENSE README.md SHA256SUMS atbash.exe docs quindarelvoxen.exe "
[ "$found" = "$expected" ] || { echo "package: holds '$found', not '$expected'"; exit 1; }
(cd "$name" && sha256sum -c SHA256SUMS) || { echo "package: the sums do not match"; exit 1; }
grep -q '^MIT License' "$name/LICENSE" || { echo "package: LICENSE is not the MIT licence"; exit 1; }
# The README's links and picture lead into the archive's own docs/.
for target in $(grep -o '](docs/[^)#]*' "$name/README.md" | cut -c 3-); do
    [ -f "$name/$target" ] || { echo "package: the README leads to $target, which the archive lacks"; exit 1; }
done
cmp -s "$name/quindarelvoxen.exe" "$build/quindarelvoxen.exe" || { echo "package: quindarelvoxen.exe is not the built one"; exit 1; }
echo "package: $name.zip holds $found"
