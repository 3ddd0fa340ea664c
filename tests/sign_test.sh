#!/bin/bash
# sign_test.sh BUILD_DIR SIGNED_DIR
#
# tools/sign with throwaway certificates, one row per case; the signed programs stay in SIGNED_DIR for the Wine tests.
set -u
# shellcheck source=checks.sh
. "$(dirname "$0")/checks.sh"
export build signed sign=$root/tools/sign
build=$(realpath "$1")
signed=$(realpath -m "$2")
cd "$work" || exit 1

# Keys, their password in a file; certificates for code signing (also as PKCS#12) and for web servers; another key.
echo 'a throwaway password' >password
certificate() {
    openssl req -x509 -newkey rsa:2048 -days 2 -subj "/CN=Quindarelvoxen test" -passout file:password \
        -keyout "$1.key" -out "$1.pem" -addext "extendedKeyUsage=$2" -addext keyUsage=digitalSignature 2>/dev/null
}
certificate signing codeSigning
certificate server serverAuth
PASSWORD='a throwaway password' openssl pkcs12 -export -in signing.pem -inkey signing.key -passin file:password \
    -passout env:PASSWORD -out signing.p12 2>/dev/null
openssl genpkey -algorithm RSA -out other.key 2>/dev/null
# One for code signing that expired in 2020 (openssl ca sets both dates in OpenSSL 3.0).
openssl req -new -newkey rsa:2048 -noenc -subj "/CN=Quindarelvoxen test" -keyout expired.key -out expired.csr 2>/dev/null
printf '%s\n' '[ca]' default_ca=old '[old]' database=index new_certs_dir=. serial=serial default_md=sha256 \
    policy=any x509_extensions=signing '[any]' commonName=supplied '[signing]' extendedKeyUsage=codeSigning >ca.cnf
touch index && echo 01 >serial
openssl ca -batch -selfsign -config ca.cnf -keyfile expired.key -in expired.csr -startdate 20200101000000Z \
    -enddate 20200102000000Z -out expired.pem 2>/dev/null
echo 'not the password' >wrong

# openssl and osslsigncode that note each command line, and each file beside the signed folder holding the password.
for tool in openssl osslsigncode; do
    stand_in "spy/$tool" "echo \"\$*\" >>$(printf %q "$work/calls")" \
        "grep -r -l -F 'a throwaway password' $(printf %q "$(dirname "$signed")") | sed 's/^/found: /' >>$(printf %q "$work/calls")" \
        "exec $(printf %q "$(command -v "$tool")") \"\$@\""
done

rm -rf "$signed"
mkdir mine && echo precious >mine/notes.txt
listing mine >mine.before

check "signs from a PKCS#12 file, the password in a file" 0 "" "" -- \
    '"$sign" --pkcs12 signing.p12 --password-file password --out "$signed" >/dev/null'
for program in quindarelvoxen.exe atbash.exe; do
    export program
    check "osslsigncode verify accepts $program" 0 "" "" -- \
        'osslsigncode verify -CAfile signing.pem -in "$signed/$program" >verify.log 2>&1 || { tail -n 3 verify.log >&2; exit 1; }'
    check "$program without its signature is the build's" 0 "" "" -- \
        'rm -f bare.exe && osslsigncode remove-signature -in "$signed/$program" -out bare.exe >/dev/null && cmp bare.exe "$build/$program"'
done
check "the ZIP holds the signed programs and their sums" 0 "" "" -- \
    'mkdir zip && cd zip && cmake -E tar xf "$signed"/quindarelvoxen-*-win32.zip && cd quindarelvoxen-*-win32 &&
     sha256sum --quiet -c SHA256SUMS && cmp quindarelvoxen.exe "$signed/quindarelvoxen.exe" &&
     cmp atbash.exe "$signed/atbash.exe" && cmp SHA256SUMS "$signed/SHA256SUMS"'
check "signs from a PEM certificate and key, the password from the environment, over its own folder" 0 "" "" -- \
    'QUINDARELVOXEN_SIGN_PASSWORD="a throwaway password" "$sign" --cert signing.pem --key signing.key --out "$signed" >/dev/null &&
     osslsigncode verify -CAfile signing.pem -in "$signed/atbash.exe" >/dev/null 2>&1'
check "the password reaches no command line and no file of its own" 0 "" "" -- \
    'QUINDARELVOXEN_SIGN_PASSWORD="a throwaway password" PATH=$work/spy:$PATH "$sign" --pkcs12 signing.p12 --out "$signed" >/dev/null &&
     PATH=$work/spy:$PATH "$sign" --cert signing.pem --key signing.key --password-file password --out "$signed" >/dev/null &&
     grep -q "^sign " calls && ! grep -e "a throwaway password" -e "^found: " calls >&2'

# Refusals leave the signed folder as it was, also where a link leads to it. A row a line: name, one line of
# standard error, arguments after --out "$signed".
listing "$signed" >before
ln -s "$signed" link
while IFS='|' read -r name stderr arguments <&3; do
    check "$name" 1 "" "$stderr" -- "\"\$sign\" --out \"\$signed\" $arguments"
done 3<<EOF
no certificate|^sign: cannot read $work/missing.p12\$|--pkcs12 missing.p12
a wrong password|^sign: cannot open $work/signing.p12: a wrong password|--pkcs12 signing.p12 --password-file wrong
no password for an encrypted key|^sign: cannot open $work/signing.key: a wrong password|--cert signing.pem --key signing.key
a certificate that is not for code signing|^sign: the certificate is not for code signing|--cert server.pem --key server.key --password-file password
an expired certificate|^sign: the certificate has expired\$|--cert expired.pem --key expired.key
a key that is not the certificate's|^sign: $work/other.key is not the key of $work/signing.pem\$|--cert signing.pem --key other.key
a link as the folder|^sign: $work/link leads through a link; name the folder by its own path\$|--pkcs12 signing.p12 --password-file password --out link
a timestamp that cannot be had|^sign: osslsigncode could not sign quindarelvoxen.exe|--pkcs12 signing.p12 --password-file password --timestamp http://127.0.0.1:9/
EOF
check "no certificate named" 2 "" "^usage: sign " -- '"$sign" --password-file password --out "$signed"'
check "the signed folder is as it was" 0 "" "" -- 'listing "$signed" | cmp -s - before'
check "a folder of the user's own is refused and left whole" 1 "" \
    "^sign: $work/mine holds other files than a signed release \(notes.txt\); name an empty or new folder\$" -- \
    '"$sign" --pkcs12 signing.p12 --password-file password --out mine; status=$?; listing mine | cmp -s - mine.before && exit $status'
# Another user's folder, empty, where one can be made: as root, outside a user namespace.
mkdir theirs && chown 65534 theirs 2>/dev/null &&
    check "another user's folder is refused and left whole" 1 "" "^sign: $work/theirs is another user's; name a folder of your own\$" -- \
    '"$sign" --pkcs12 signing.p12 --password-file password --out theirs; status=$?; [ -z "$(ls -A theirs)" ] && exit $status'

finish sign
