#!/bin/bash
# The Windows programs under Wine, each test in a prefix of its own, every
# wine call bounded and the prefix's wineserver killed at the end.
# Usage: wine_test.sh installer|arguments|question|putty|cli BUILD_DIR
set -eu
test=$1 build=$2
export WINEDEBUG=-all WINEDLLOVERRIDES=winemenubuilder.exe=d  # no menus on the host
WINEPREFIX=$(mktemp -d /tmp/torvale-wine.XXXXXX) && export WINEPREFIX
# Wine links the profile's Documents to $HOME's: a home of the test's own.
export HOME=$WINEPREFIX/home && mkdir "$HOME"
pids=()
finish() {
    timeout 30 wineserver -k || true
    for pid in "${pids[@]}"; do kill "$pid" 2>/dev/null || true; done
    rm -rf "$WINEPREFIX"
}
trap finish EXIT
fail() { echo "FAIL: $*" >&2; exit 1; }
w() { timeout 60 wine "$@"; }
timeout 120 wineboot -i >/dev/null 2>&1
local=$(w cmd /c 'echo %LOCALAPPDATA%' | tr -d '\r')
log=$(winepath -u "$local")/Torvale/torvale.log
# The pass log's last line ends with `$1`.
logged() { [ "$(tail -1 "$log" | cut -c24-)" = "$1" ] || fail "last pass: $(tail -1 "$log")"; }

installer() {
    w "$build/torvale-setup.exe" /S
    local dir=$local'\Programs\Torvale' key='HKCU\Software\Classes\torvale'
    local unix && unix=$(winepath -u "$dir")
    for file in torvalew.exe torvale.exe uninstall.exe; do
        [ -f "$unix/$file" ] || fail "$file not installed"
    done
    w reg query "$key" /s | tr -d '\r' >"$WINEPREFIX/scheme"
    local line
    for line in "    (Default)    REG_SZ    URL:Torvale" "    URL Protocol    REG_SZ    " \
        "    (Default)    REG_SZ    \"$dir\\torvalew.exe\",0" \
        "    (Default)    REG_SZ    \"$dir\\torvalew.exe\" --url \"%1\""; do
        grep -qFx "$line" "$WINEPREFIX/scheme" || fail "not registered: $line"
    done
    w reg query 'HKCU\Software\Classes\Applications\torvalew.exe' /v FriendlyAppName |
        grep -q 'REG_SZ    Torvale' || fail "no FriendlyAppName"
    # Wine reads HKEY_CLASSES_ROOT from HKLM alone (its bug 14771), so
    # `start` finds the scheme only with the registration copied there.
    w reg copy "$key" 'HKLM\Software\Classes\torvale' /s /f >/dev/null
    local status=0
    w start /wait 'torvale://x" --evil "y' || status=$?
    [ $status = 2 ] || fail "a link split by its quotes: exit status $status"
    local split="4 arguments, not --url and one URL: a quote in the link may have split it"
    logged " |  | - | - | refused: $split"
    echo mine >"$unix/notes.txt"
    # The uninstaller runs from a copy of itself in %TEMP%: wait for the prefix.
    w "$unix/uninstall.exe" /S && timeout 60 wineserver -w
    [ "$(ls "$unix")" = notes.txt ] || fail "left or removed: $(ls "$unix")"
    local made
    for made in "$key" 'HKCU\Software\Classes\Applications\torvalew.exe' \
        'HKCU\Software\Microsoft\Windows\CurrentVersion\Uninstall\Torvale'; do
        ! w reg query "$made" >/dev/null 2>&1 || fail "$made left"
    done
    [ -z "$(find "$WINEPREFIX/drive_c/users" -name '*Torvale 提醒*')" ] || fail "shortcut left"
    # A scheme another program took since is left to it.
    w "$build/torvale-setup.exe" /S
    w reg add "$key\shell\open\command" /ve /d other.exe /f >/dev/null
    w "$unix/uninstall.exe" /S && timeout 60 wineserver -w
    w reg query "$key\shell\open\command" | tr -d '\r' | grep -q 'REG_SZ    other.exe$' ||
        fail "a scheme another program took was removed"
}

# Whatever else a page's quotes could make of the command line is refused.
arguments() {
    local reasons=() status
    runs() {
        status=0
        w "$build/torvalew.exe" "$@" || status=$?
        [ $status = 2 ] || fail "$* ran: exit status $status"
    }
    runs --url 'torvale://a' --evil y && reasons+=("4 arguments, not --url and one URL: ")
    runs --url && reasons+=("no URL after --url")
    runs && reasons+=("the command line does not begin with --url")
    runs 'torvale://a' --url && reasons+=("the command line does not begin with --url")
    runs --url 'https://torvale:a' && reasons+=("the argument after --url is not a torvale: URL")
    [ "$(wc -l <"$log")" = ${#reasons[@]} ] || fail "passes: $(cat "$log")"
    local i=1 reason
    for reason in "${reasons[@]}"; do
        sed -n "${i}p" "$log" | grep -qF " |  | - | - | refused: $reason" || fail "line $i"
        i=$((i + 1))
    done
}

# The trust question in Chinese, answered with the keyboard.
question() {
    if ! locale -a | grep -qx 'zh_CN.utf8'; then
        export LOCPATH=$WINEPREFIX/locales && mkdir "$LOCPATH"
        localedef -c -i zh_CN -f UTF-8 "$LOCPATH/zh_CN.UTF-8" || true
    fi
    export LANG=zh_CN.UTF-8
    exec 3>"$WINEPREFIX/display"
    Xvfb -displayfd 3 -screen 0 1024x768x24 -nolisten tcp >/dev/null 2>&1 &
    pids+=($!)
    local tries=0
    until [ -s "$WINEPREFIX/display" ]; do
        sleep 0.2 && tries=$((tries + 1)) && [ $tries -lt 150 ] || fail "no Xvfb"
    done
    export DISPLAY=:$(cat "$WINEPREFIX/display")
    # Windows would go to the desktop the prefix started without a display.
    timeout 30 wineserver -k
    openbox >/dev/null 2>&1 &
    pids+=($!)
    local url='torvale://&action=StartSecureCRT&username=u&proxy_addr=gw.example&' pass
    local programs && programs=$(winepath -u "$(w cmd /c 'echo %ProgramFiles%' | tr -d '\r')")
    mkdir -p "$programs/VanDyke Software/SecureCRT"
    cp "$build/tests/windows/fake_putty.exe" "$programs/VanDyke Software/SecureCRT/SecureCRT.exe"
    # Answers the question with the keys `$1` (then, with `$2` "shot", a
    # screenshot and Return), once it shows.
    answer() {
        w "$build/torvalew.exe" --url "$url" &
        pass=$!
        local window='' tries=0
        until window=$(xdotool search --onlyvisible --name '确认连接' | head -1) &&
            [ "$window" ]; do
            sleep 0.5 && tries=$((tries + 1)) && [ $tries -lt 120 ] || fail "no question"
        done
        # Keys typed before the dialog has the focus and has set its own are
        # lost on a busy machine: it is active first, then given a second.
        xdotool windowactivate --sync "$window"
        until [ "$(xdotool getactivewindow)" = "$window" ]; do
            sleep 0.5 && tries=$((tries + 1)) && [ $tries -lt 120 ] || fail "never active"
        done
        sleep 1 && xdotool key --delay 100 $1
        if [ "${2-}" = shot ]; then
            import -window root "$build/windows-question.png" && xdotool key Return
        fi
        wait $pass || fail "exit status $?"
    }
    local head=" | StartSecureCRT | gw.example: not trusted, asked:"
    local client='C:\\Program Files\\VanDyke Software\\SecureCRT\\SecureCRT.exe'
    answer Escape && logged "$head cancelled | $client | cancelled: gw.example"
    # Return presses the default button: cancel.
    answer Return && logged "$head cancelled | $client | cancelled: gw.example"
    # Cancel, connect, the box: tick it, then connect.
    answer 'Tab Tab space Tab Tab' shot
    logged "$head connect, trusted from now on | $client | launched"
}

# An SSH link in PuTTY, installed and started as Windows does: our stand-in
# client records its command line, its password file, and whether the file
# went while it ran; a batch file configured as the client is refused unrun.
putty() {
    w "$build/torvale-setup.exe" /S
    # Wine reads HKEY_CLASSES_ROOT from HKLM alone (its bug 14771).
    w reg copy 'HKCU\Software\Classes\torvale' 'HKLM\Software\Classes\torvale' /s /f >/dev/null
    local programs temp docs
    programs=$(winepath -u "$(w cmd /c 'echo %ProgramFiles%' | tr -d '\r')")
    temp=$(w cmd /c 'echo %TEMP%' | tr -d '\r')
    docs=$(winepath -u "$(w cmd /c 'echo %USERPROFILE%' | tr -d '\r')")/Documents/torvale
    mkdir -p "$programs/PuTTY" "$docs" && cp "$build/tests/windows/fake_putty.exe" \
        "$programs/PuTTY/putty.exe"
    printf '[gateways]\nallow = gw.example\n' >"$docs/configuration.ini"
    local url='torvale://&action=StartPutty&protocol=ssh2&username=alice&proxy_addr=gw.example'
    w start /wait "$url&sshport=2222&entrust_password=1&password=s3cr%20et&"
    local record=$programs/PuTTY/putty.exe.record pwfile
    pwfile=$(head -1 "$record" | sed -n 's/.* -pwfile \([^ ]*\) gw.example$/\1/p')
    [[ $pwfile =~ ^${temp//\\/\\\\}\\torvale\\putty-[0-9]+-1\.pw$ ]] || fail "$(cat "$record")"
    [ "$(head -1 "$record")" = "\"C:\\Program Files\\PuTTY\\putty.exe\" -ssh -2 -P 2222 -l alice \
-pwfile $pwfile gw.example" ] || fail "command line: $(head -1 "$record")"
    [ "$(tail -n +3 "$record")" = "s3cr et" ] || fail "password file: $(tail -n +3 "$record")"
    ! head -1 "$record" | grep -q s3cr || fail "the password on the command line"
    # Removed once read: while the client waits for input (20 s at most).
    [ "$(sed -n 2p "$record")" = "gone while running" ] || fail "$pwfile left while it ran"
    local client='C:\\Program Files\\PuTTY\\putty.exe'
    logged " | StartPutty | gw.example: allowed, listed | $client | launched: \
${pwfile##*\\} removed once read"
    # cmd.exe would run a batch file, reading its arguments as commands.
    rm "$record" && mkdir "$WINEPREFIX/drive_c/x"
    printf 'echo ran > C:\\x\\ran\r\n' >"$WINEPREFIX/drive_c/x/putty.bat"
    printf '[clients]\nPuTTY = C:\\x\\putty.bat\n' >>"$docs/configuration.ini"
    w start /wait "$url&sshport=2222&entrust_password=1&password=s3cr%20et&"
    [ ! -e "$WINEPREFIX/drive_c/x/ran" ] && [ ! -e "$record" ] || fail "a client ran"
    [ -z "$(ls "$(winepath -u "$temp")/torvale")" ] || fail "a password file left"
    logged " | StartPutty | gw.example: allowed, listed | C:\\\\x\\\\putty.bat | not run: \
C:\\\\x\\\\putty.bat is a batch file: cmd.exe would read its arguments as commands"
}

# torvale.exe as installed: --doctor on the registration and the clients,
# and a dry run that writes and runs nothing yet prints the very command line
# the real run then gives the client.
cli() {
    w "$build/torvale-setup.exe" /S
    local dir=$local'\Programs\Torvale' programs temp docs left
    programs=$(winepath -u "$(w cmd /c 'echo %ProgramFiles%' | tr -d '\r')")
    left=$(w cmd /c 'echo %TEMP%' | tr -d '\r')'\torvale'
    temp=$(winepath -u "$(w cmd /c 'echo %TEMP%' | tr -d '\r')")
    docs=$(w cmd /c 'echo %USERPROFILE%' | tr -d '\r')'\Documents\torvale'
    mkdir -p "$programs/PuTTY" && cp "$build/tests/windows/fake_putty.exe" \
        "$programs/PuTTY/putty.exe"
    # Its output with Windows' line ends taken off, its exit status in $status.
    local status
    doctor() {
        status=0 && w "$dir\torvale.exe" --doctor >"$WINEPREFIX/doctor" || status=$?
        sed -i 's/\r$//' "$WINEPREFIX/doctor"
    }
    doctor
    [ $status = 0 ] || fail "--doctor: exit status $status: $(grep -v '^ok' "$WINEPREFIX/doctor")"
    local key='HKCU\Software\Classes\torvale\shell\open\command'
    local line
    for line in "ok    handler: $key runs $dir\\torvalew.exe" \
        "ok    client PuTTY: C:\\Program Files\\PuTTY\\putty.exe (its usual place)" \
        "ok    ssh links: open in PuTTY" \
        "ok    data directory: $docs is not made yet: the first launch makes it \
(for you alone)"; do
        grep -qFx "$line" "$WINEPREFIX/doctor" || fail "--doctor: no line $line"
    done
    # "%1" alone, as many programs register theirs: torvalew.exe refuses it.
    w reg add "$key" /ve /d "\"$dir\\torvalew.exe\" \"%1\"" /f >/dev/null
    doctor
    [ $status = 1 ] || fail "--doctor with \"%1\" alone: exit status $status"
    grep -qFx "fail  handler: $key runs $dir\\torvalew.exe, but its command line is \
\"$dir\\torvalew.exe\" \"%1\", not \"PROGRAM\" --url \"%1\": every link is refused there; \
fix: run torvale-setup.exe again: it registers torvale:// for this user" "$WINEPREFIX/doctor" ||
        fail "$(grep handler "$WINEPREFIX/doctor")"
    # Another program chosen in Settings opens the links instead.
    local other='HKCU\Software\Classes\Other\shell\open\command'
    local chosen='HKCU\Software\Microsoft\Windows\Shell\Associations\UrlAssociations'
    w reg add "$other" /ve /d '"C:\o.exe" "%1"' /f >/dev/null
    w reg add "$chosen\torvale\UserChoice" /v ProgId /d Other /f >/dev/null
    doctor
    grep -qFx "fail  handler: $other, the choice in Settings (Other) runs C:\\o.exe, which is not \
there; fix: reinstall torvale, or run torvale-setup.exe again: it registers torvale:// for this \
user, then choose Torvale for TORVALE links in Settings, Apps, Default apps" "$WINEPREFIX/doctor" ||
        fail "$(grep handler "$WINEPREFIX/doctor")"
    w reg delete "$chosen" /f >/dev/null
    # Without "URL Protocol" the shell takes torvale: for no scheme.
    w reg add "$key" /ve /d "\"$dir\\torvalew.exe\" --url \"%1\"" /f >/dev/null
    w reg delete 'HKCU\Software\Classes\torvale' /v 'URL Protocol' /f >/dev/null
    doctor
    grep -qFx "fail  handler: $key runs $dir\\torvalew.exe, but Software\\Classes\\torvale has no \
value \"URL Protocol\": Windows hands it no link; fix: run torvale-setup.exe again: it registers \
torvale:// for this user" "$WINEPREFIX/doctor" || fail "$(grep handler "$WINEPREFIX/doctor")"
    w reg delete 'HKCU\Software\Classes\torvale' /f >/dev/null
    # A password file a killed handler left behind.
    mkdir "$temp/torvale" && echo pw >"$temp/torvale/putty-9-1.pw"
    doctor
    [ $status = 1 ] || fail "--doctor without the registration: exit status $status"
    for line in "fail  handler: nothing opens torvale:// links; fix: run torvale-setup.exe again: \
it registers torvale:// for this user" "warn  temporary folder: 1 left in $left; a password file \
holds its password until the next launch or start removes it; fix: start torvale once, or: del \
\"$left\\*.command\" \"$left\\*.pw\""; do
        grep -qFx "$line" "$WINEPREFIX/doctor" || fail "--doctor: no line $line"
    done
    rm -r "$temp/torvale"

    local url='torvale://&action=StartPutty&protocol=ssh2&username=alice&proxy_addr=gw.example'
    url+='&sshport=2222&entrust_password=1&password=s3%22cr%20et&'
    w "$dir\torvale.exe" -n --confirm=yes --show-secrets "$url" | tr -d '\r' >"$WINEPREFIX/dry"
    [ ! -e "$programs/PuTTY/putty.exe.record" ] || fail "the dry run ran the client"
    # Neither the doctor nor the dry run made a folder, a configuration or a password file.
    [ ! -e "$temp/torvale" ] && [ ! -e "$(winepath -u "$docs")" ] || fail "a dry run wrote"
    grep -qFx 'outcome  launched: putty-N-1.pw removed once read' <(sed 's/-[0-9]*-1/-N-1/' \
        "$WINEPREFIX/dry") || fail "dry run: $(cat "$WINEPREFIX/dry")"
    w "$dir\torvale.exe" --confirm=yes "$url" 2>/dev/null
    local record=$programs/PuTTY/putty.exe.record
    # The same line but for the password file's name, which holds the process
    # id, and the dry run's "\\" for each backslash.
    local pid='s/putty-[0-9]*-/putty-N-/'
    [ "$(sed -n 's/^command  //p' "$WINEPREFIX/dry" | sed 's/\\\\/\\/g' | sed "$pid")" = \
        "$(head -1 "$record" | sed "$pid")" ] ||
        fail "dry run: $(grep '^command' "$WINEPREFIX/dry"); real run: $(head -1 "$record")"
    [ "$(tail -n +3 "$record")" = 's3"cr et' ] || fail "password file: $(tail -n +3 "$record")"
}

"$test"
echo "ok: $test"
