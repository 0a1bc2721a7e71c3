#!/usr/bin/env bash
# A wrong user name shows "登陆失败！"; the focus is back in the user box, so the
# doctor retypes both codes by keyboard alone and EntryWindow replaces the login.
source "$(dirname "$0")/../lib.sh"
e2e_begin
start_program
login=$(wait_for_title "门诊处方登陆")
wait_active "$login"
type_text 111; key Return; type_text 794; key Return
answer_message "信息：" login-failure
wait_active "$login"
# Were the focus left in the password box, this would log in as 111 again and fail.
key ctrl+a; type_text 794; key Return; key ctrl+a; type_text 794; key Return
entry=$(wait_for_window EntryWindow)
wait_until 10 has_no_output windows_titled "门诊处方登陆" || fail "expected the login window to go after the login, it stayed"
wait_active "$entry"
shot entry-after-login
