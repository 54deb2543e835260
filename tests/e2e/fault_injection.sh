#!/bin/sh
# Connection files under a full disk, a read-only file system, a size limit, no hard links, a
# kill; a configuration.ini that fails as it is read.
#   fault_injection.sh TORVALE RECORD_ARGV
[ "$(id -u)" = 0 ] || { echo "skipped: mounting a small file system needs root"; exit 77; }
# Its mounts must stay in a namespace of its own. In a chroot "/" is no mount
# point and cannot be made private: there, mounts that propagate nowhere will do.
if unshare -m --propagation private true 2>/dev/null; then propagation=private
elif ! grep -q ' shared:' /proc/self/mountinfo; then propagation=unchanged
else echo "skipped: no private mount namespace here"; exit 77; fi
torvale=$1 record=$2 status=0
mstsc='torvale://&action=StartMstsc&localhost=h:3389&target_ip=10.0.0.9&screen='
autorun='torvale://&action=StartMstscAutoRun&path=C:%5Ca.exe&screen='
fault() {  # NAME, what happens between the launches, what the second runs under, why writes fail
    out=$(mktemp -d) && mkdir -p "$out/home/Documents" "$out/bin" "$out/app.app" &&
        ln -s "$record" "$out/bin/open"
    HOME=$out/home XDG_CONFIG_HOME=$out PATH=$out/bin:/usr/bin:/bin:/usr/sbin:/sbin \
        unshare -m --propagation "$propagation" /bin/sh -c '
        set -e
        mount -t tmpfs -o size=256k tmpfs "$HOME/Documents"
        mkdir "$HOME/Documents/torvale" && cd "$HOME/Documents/torvale"
        printf "[clients]\nMicrosoft Remote Desktop = %s\nRemote Desktop Connection = %s\n" \
            "$1/app.app" "$1/app.app" >configuration.ini
        "$2" --confirm=yes "$3"1\& "$4"1\& 2>/dev/null && cp -a . "$1/before"
        eval "$5"
        $6 "$2" --confirm=yes "$3"2\& "$4"2\& 2>&1 >/dev/null |
            { grep -v "^确认连接\|^Pass not logged: " || true; } >"$1/alerts"
        cp -a . "$1/after"
        # The removers that watch its files end with it.
        cd / && umount "$HOME/Documents"' sh "$out" "$torvale" "$mstsc" "$autorun" "$2" "$3"
    dir=$out/home/Documents/torvale
    expected='' changed=1
    if [ -n "$4" ]; then
        # Each alert after the log line that says why, in the system's words.
        f='Not written: %s/activex.rdp: %s\n抱歉: 创建activex.rdp文件出错%s/activex.rdp\n'
        f=$f'Not written: %s/10,0,0,9.rdp: %s\n抱歉: 复制文件出错%s/10,0,0,9.rdp\n'
        f=$f'Not written: %s/activex_autorun.rdp: %s\n抱歉: 创建activex.rdp文件出错'
        expected=$(printf "$f" "$dir" "$4" "$dir" "$dir" "$4" "$dir" "$dir" "$4")
        # Made looser before it turned read-only, start-up cannot make it private again.
        [ "$1" != read-only ] ||
            expected="Not made private: $dir: Read-only file system
$expected"
        changed=''
    fi
    for file in activex.rdp activex_autorun.rdp 10,0,0,9.rdp; do
        # Whole files only: the old one, or where writing works the new one.
        if cmp -s "$out/before/$file" "$out/after/$file"; then same=1; else same=; fi
        grep -q desktopwidth:i:800 "$out/before/$file" && [ "$same" != "$changed" ] ||
            { echo "$1: $file"; status=1; }
    done
    [ "$(ls -A "$out/after" | wc -l)" = 4 ] || { echo "$1: a temporary file was left"; status=1; }
    [ "$(cat "$out/alerts")" = "$expected" ] ||
        { echo "$1: alerts were:"; cat "$out/alerts"; status=1; }
    if [ "$1" = read-only ]; then
        printf 'fail  data directory: %s cannot be written; fix: chmod u+w %s\n' "$dir" "$dir" |
            diff - "$out/doctor" && echo "$1: --doctor's data directory line as expected" ||
            { echo "$1: --doctor's data directory line: expected <, got >"; status=1; }
    fi
    rm -rf "$out"
}
fault 'full disk' 'dd if=/dev/zero of="$HOME/Documents/fill" bs=4k 2>/dev/null || true' '' \
    'No space left on device'
fault 'read-only' 'chmod 755 . && mount -o remount,ro "$HOME/Documents"
    "$2" --doctor | grep "data directory" >"$1/doctor" || true' '' 'Read-only file system'
fault 'size limit' '' 'prlimit --fsize=100' 'File too large'
fault 'no hard links' '' \
    'strace -f -qq -o /dev/null -e trace=link,linkat -e inject=link,linkat:error=EPERM' ''

# Killed while writing the target's copy, a writer leaves its temporary with
# the password in it; the next start-up removes that one, and only what no
# running writer may still rename: not this script's, not a fresh one of an
# earlier build (named without its writer), nothing else; and the connection
# files not written for a minute, not a fresh one a client may be reading.
out=$(mktemp -d) dir=$out/home/Documents/torvale
mkdir -p "$dir" "$out/app.app" && cd "$dir" || exit 1
printf '[clients]\nMicrosoft Remote Desktop = %s\n' "$out/app.app" >configuration.ini
run() { HOME=$out/home XDG_CONFIG_HOME=$out PATH=/bin:/usr/bin "$@" </dev/null 2>/dev/null; }
run strace -f -qq -o /dev/null -e trace=fsync -e inject=fsync:signal=SIGKILL:when=2 \
    "$torvale" --confirm=yes "$mstsc"1\&password=secret\&entrust_password=1\&
grep -qs 'domain:s:secret' .torvale-*-* ||
    { echo "leftover: the killed writer left nothing"; status=1; }
touch ".torvale-$$-alive0" .torvale-999999999-gone00 .torvale-fresh0 .torvale-notes.txt fresh.rdp \
    fresh.command &&
    touch -d '-2 min' .torvale-stale0 old.rdp .rdp old.command
run "$torvale"
kept=$(ls -A | tr '\n' ' ')
[ "$kept" = ".torvale-$$-alive0 .torvale-fresh0 .torvale-notes.txt activex.rdp configuration.ini \
fresh.command fresh.rdp " ] ||
    { echo "leftover: start-up left $kept"; status=1; }
cd / && rm -rf "$out"

# A configuration.ini that fails as it is read is said so, never taken as empty.
out=$(mktemp -d) conf=$out/home/Documents/torvale/configuration.ini
mkdir -pm 700 "${conf%/*}" && printf '[gateways]\nallow = gw\n' >"$conf"
said=$(HOME=$out/home XDG_CONFIG_HOME=$out PATH=/bin:/usr/bin timeout 30 strace -f -qq \
    -o /dev/null -P "$conf" -e trace=read -e inject=read:error=EIO \
    "$torvale" 'torvale://&action=StartPutty&' 2>&1)
[ "$said" = "Not read: $conf: Input/output error
抱歉: 配置文件有误：$conf\\nInput/output error
抱歉: putty还未实现" ] || { echo "read error: torvale said: $said"; status=1; }
rm -rf "$out"

exit $status
