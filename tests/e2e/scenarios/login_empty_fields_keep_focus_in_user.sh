#!/usr/bin/env bash
# Enter on empty fields shows "姓名或密码不能为空！"; afterwards typing goes into
# the user box, so 794 Enter 794 Enter logs in.
source "$(dirname "$0")/../lib.sh"
e2e_begin
start_program
login=$(wait_for_title "门诊处方登陆")
wait_active "$login"
key Return Return
answer_message "信息：" login-empty
wait_active "$login"
type_text 794; key Return; type_text 794; key Return
wait_for_window EntryWindow >/dev/null || true
[ -n "$(windows_titled "门诊处方登陆")" ] &&
    fail "expected 794/794 typed after the box to log in, saw the login window still open: $(describe_windows)"
exit 0
