#!/bin/sh
# Each signing example of docs/signed-links.md against the real torvale: its link launches
# unasked and once, even from two passes at once; unsigned, it is refused where required.
#   signed_links.sh TORVALE RECORD_ARGV
set -u
torvale=$(realpath "$1") record=$(realpath "$2") failed=0
docs=$(cd "$(dirname "$0")/../../docs" && pwd)/signed-links.md
dir=$(mktemp -d)
trap 'rm -rf "$dir"' EXIT
mkdir -p "$dir/home/Documents" "$dir/bin" "$dir/go" "$dir/SecureCRT.app"
mkdir -m 700 "$dir/home/Documents/torvale"
ln -s "$record" "$dir/bin/open"
export HOME="$dir/home" XDG_CONFIG_HOME="$dir/config" XDG_STATE_HOME="$dir/state"
export PATH="$dir/bin:$PATH" RECORD_ARGV_LOG="$dir/argv" GOCACHE="$dir/go" GOPATH="$dir/go"
openssl genpkey -algorithm EC -pkeyopt ec_paramgen_curve:P-256 -out "$dir/key.pem" 2>/dev/null
public=$(openssl pkey -in "$dir/key.pem" -pubout -outform DER | base64 -w0)
printf '[clients]\nSecureCRT = %s\n[signing]\nkey.portal = es256:%s\nrequire = yes\n' \
    "$dir/SecureCRT.app" "$public" \
    >"$HOME/Documents/torvale/configuration.ini"
# A password of every character a portal encodes: each example signs it decoded, encoded.
secret="p w+%中:/@'"
fields="&action=StartSecureCRT&username=alice&entrust_password=1&password=$secret&\
proxy_addr=gw.example.com&sshport=2222&"

fail() { echo "$*"; failed=1; }
launches() { [ -f "$dir/argv" ] && tr '\0' '\n' <"$dir/argv" | grep -c "^$dir/SecureCRT.app\$"; }
# The block of LANGUAGE in the document, as a program.
example() {
    awk -v fence="\`\`\`$1" '$0 == "```" { on = 0 } on { print } $0 == fence { on = 1 }' "$docs"
}

example python >"$dir/sign.py" && example js >"$dir/sign.js" && example go >"$dir/sign.go"
example bash >"$dir/sign.sh"
before=0
used='抱歉: 此链接已被使用过\n请从门户页面重新打开链接'  # a link used before
for signer in "python3 $dir/sign.py" "node $dir/sign.js" "go run $dir/sign.go" \
    "bash $dir/sign.sh"; do
    link=$($signer "$dir/key.pem" portal "$fields") || { fail "$signer: failed"; continue; }
    # A dry run says what it finds, warns of nothing (kid, sig...) and leaves the link unused.
    dry=$("$torvale" -n "$link")
    echo "$dry" | grep -Eq '^signature valid; key portal; expires at .* \((2..|300) s from now\); '\
'unsigned links: refused$' &&
        ! echo "$dry" | grep -q '^warning' || fail "$signer: the dry run of $link: $dry"
    out=$("$torvale" --confirm=no "$link" 2>&1)
    [ "$(launches)" = $((before + 1)) ] || fail "$signer: $link did not launch: $out"
    before=$((before + 1))
    out=$("$torvale" --confirm=no "$link" 2>&1)
    [ "$(launches)" = $before ] && [ "$out" = "$used" ] ||
        fail "$signer: the same link again: $out"
done
[ "$(tr '\0' '\n' <"$dir/argv" | grep -cxF "$secret")" = "$(launches)" ] ||
    fail "not every launch had the password $secret"

link=$(python3 "$dir/sign.py" "$dir/key.pem" portal "$fields")
"$torvale" "$link" 2>"$dir/first" & first=$!
"$torvale" "$link" 2>"$dir/second" & second=$!
wait $first $second
[ "$(launches)" = $((before + 1)) ] || fail "two passes of one link launched $(launches) - $before"
# The one that lost, whether it lost the check or the race to mark it used, says so.
[ "$(cat "$dir/first" "$dir/second")" = "$used" ] ||
    fail "two passes of one link said: $(cat "$dir/first" "$dir/second")"

out=$("$torvale" --confirm=yes "torvale://$fields" 2>&1)
[ "$out" = '抱歉: 此链接没有网关签名，已拒绝' ] || fail "unsigned: $out"
sed -i /^require/d "$HOME/Documents/torvale/configuration.ini"
out=$("$torvale" --doctor | grep '^[a-z]* *signing: ')
[ "$out" = "ok    signing: unsigned links: asked (the default once a key is known); signed links \
live 600 s at most" ] || fail "the doctor's signing line with a key: $out"
[ $failed = 0 ] && echo "every example signs links torvale launches once"
exit $failed
