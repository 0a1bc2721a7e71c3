#!/usr/bin/env bash
# Chinese as a doctor types it: fcitx5 with its pinyin engine on a D-Bus session
# of the scenario's own, the program reaching it through fcitx5's Qt 6 frontend
# (QT_IM_MODULE=fcitx). The Latin keys `zhangsan` and Space typed into 姓名
# give 张三, and the saved visit keeps it.
[ -n "${RX_E2E_OWN_BUS:-}" ] || RX_E2E_OWN_BUS=1 exec dbus-run-session -- bash "$0" "$@"
source "$(dirname "$0")/../lib.sh"
e2e_begin

# A profile of the scenario's own: US keyboard, then pinyin when activated.
export XDG_CONFIG_HOME="$E2E_DIR/config" XDG_DATA_HOME="$E2E_DIR/share"
mkdir -p "$XDG_CONFIG_HOME/fcitx5"
cat >"$XDG_CONFIG_HOME/fcitx5/profile" <<'PROFILE'
[Groups/0]
Name=Default
Default Layout=us
DefaultIM=pinyin

[Groups/0/Items/0]
Name=keyboard-us
Layout=

[Groups/0/Items/1]
Name=pinyin
Layout=

[GroupOrder]
0=Default
PROFILE
fcitx5 -r >"$E2E_DIR/fcitx5.log" 2>&1 &
E2E_PIDS+=($!)
# Asking fcitx5-remote before fcitx5 owns its name would start a second one through D-Bus.
fcitx5_on_bus() {
    dbus-send --session --print-reply --dest=org.freedesktop.DBus /org/freedesktop/DBus \
        org.freedesktop.DBus.NameHasOwner string:org.fcitx.Fcitx5 | grep -q true
}
wait_until 20 fcitx5_on_bus || fail "expected fcitx5 to answer on the session bus: $(tail -n 5 "$E2E_DIR/fcitx5.log")"

export QT_IM_MODULE=fcitx
start_program
entry=$(log_in)
wait_active "$entry"

# The program's input context reaches fcitx5 a moment after the window shows,
# and -o before that changes nothing: ask again until pinyin is on.
pinyin_on() { fcitx5-remote -o; sleep 0.3; [ "$(fcitx5-remote)" = 2 ]; }
wait_until 10 pinyin_on || fail "expected pinyin active in 姓名, fcitx5-remote says $(fcitx5-remote)"
xdotool type --delay 60 zhangsan
sleep 1
shot name-candidates
key space
fcitx5-remote -c
wait_until 30 sh -c '[ "$(fcitx5-remote)" = 1 ]' || fail "expected fcitx5 back to the keyboard"
shot name-typed

key Tab; type_text 男; key Tab; type_text 35; key Tab Tab
key ctrl+a; type_text 禾川镇; key Tab; key Tab
type_text 感冒; key Tab Tab Tab
type_text 咳嗽三天; key Tab
add_drugs "$entry" "ZHQ 10"
click_save "$entry"
expect_equal "the saved patient's name" "张三" "$(sql sj.accdb "select 姓名 from 基本资料")"
