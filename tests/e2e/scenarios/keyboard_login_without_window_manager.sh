#!/usr/bin/env bash
# On a display with no window manager (plain xvfb-run) the program takes the
# keyboard itself: "794 Enter 794 Enter" typed from the first moment logs in,
# EntryWindow then has the keyboard, and so does a window it opens.
RX_E2E_NO_WM=1
source "$(dirname "$0")/../lib.sh"
e2e_begin
start_program
entry=$(log_in)
wait_until 10 has_no_output windows_titled "门诊处方登陆" || fail "expected the login window to go after the login, it stayed"
wait_active "$entry"
shot entry-after-login
click_control "$entry" 按钮_处方查询
query=$(wait_for_window QueryWindow)
wait_active "$query"
shot query-opened
exit 0
