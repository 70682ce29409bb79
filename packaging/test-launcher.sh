#!/bin/sh
# test-launcher.sh LAUNCHER: where the menu's launcher starts the station, what it makes there and
# that it keeps what is there. A stub in place of the station tells where it ran and with what.
set -eu
launcher=$1
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
mkdir -p "$work/bin" "$work/home"
cat >"$work/bin/dispensing-station" <<'STUB'
#!/bin/sh
printf '%s|' "$(pwd -P)" "$@"
exit 3
STUB
chmod +x "$work/bin/dispensing-station"

fail() {
    echo "FAIL: $*" >&2
    exit 1
}

# launch [NAME=VALUE...] LAUNCHER [ARGUMENT...]: what the stub said, then the exit status. The
# locale is English unless the arguments name another.
launch() {
    (env -u DISPENSING_STATION_DIR -u XDG_DATA_HOME -u LANGUAGE -u LC_ALL -u LC_MESSAGES \
        LANG=C.UTF-8 HOME="$work/home" PATH="$work/bin:$PATH" "$@") &&
        status=0 || status=$?
    echo "$status"
}

english="The dispensing station's working folder"
chinese="配藥工作站的工作資料夾"
own=$work/home/.local/share/dispensing-station
out=$(launch "$launcher" --flag "two words")
[ "$out" = "$own|--flag|two words|3" ] || fail "the user's folder: $out"
grep -q ZQKRT_Tovrel.ini.example "$own/README.txt" || fail "no README saying what goes there"
[ "$(head -n 1 "$own/README.txt")" = "$english" ] || fail "not the English README"
[ -d "$own/dosdevices" ] || fail "no dosdevices folder"
[ "$(stat -c %a "$own")" = 700 ] || fail "the folder is open to others: $(stat -c %a "$own")"

echo "the pharmacy's own notes" >"$own/README.txt"
out=$(launch "$launcher")
[ "$out" = "$own|3" ] || fail "the second start: $out"
[ "$(cat "$own/README.txt")" = "the pharmacy's own notes" ] || fail "an edited README was replaced"

mkdir "$work/desk folder"
out=$(launch "DISPENSING_STATION_DIR=$work/desk folder" "$launcher")
[ "$out" = "$work/desk folder|3" ] || fail "DISPENSING_STATION_DIR: $out"
[ -f "$work/desk folder/README.txt" ] || fail "no README in DISPENSING_STATION_DIR"

# title NAME=VALUE...: the first line of the README made in a new folder under the settings.
title() {
    rm -rf "$work/desk folder"
    launch "DISPENSING_STATION_DIR=$work/desk folder" "$@" "$launcher" >/dev/null
    head -n 1 "$work/desk folder/README.txt"
}
[ "$(title LANG=zh_TW.UTF-8)" = "$chinese" ] || fail "no Chinese README under zh_TW"
[ "$(title LANG=en_US.UTF-8 LC_ALL=zh_HK.UTF-8)" = "$chinese" ] || fail "LC_ALL comes first"
[ "$(title LANG=zh_TW.UTF-8 LC_ALL=C)" = "$english" ] || fail "the C locale is English"
[ "$(title LANG=de_DE.UTF-8 LANGUAGE=zh_TW:de)" = "$chinese" ] || fail "LANGUAGE chooses"
[ "$(title LANG=zh_CN.UTF-8)" = "$english" ] || fail "Simplified Chinese got the Traditional README"

out=$(launch "XDG_DATA_HOME=$work/data" "$launcher")
[ "$out" = "$work/data/dispensing-station|3" ] || fail "XDG_DATA_HOME: $out"
echo "launcher: every case passed"
