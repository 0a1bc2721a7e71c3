#!/usr/bin/env bash
# A drug catalogue without 仓库: every keystroke in the herbal code box shows
# "不能打开数据表，请与管理员联系！"; after each box the doctor's typing goes on in
# the code box, so a visit's other fields are never typed into by mistake.
source "$(dirname "$0")/../lib.sh"
e2e_begin
chmod u+w "$PROGRAM_DIR/data/xs.mdb"
sql xs.mdb "DROP TABLE 仓库" || fail "expected to drop 仓库 from the copied catalogue"
start_program
entry=$(log_in)
wait_active "$entry"
click_control "$entry" 编辑框_选择药品
type_text D
answer_message "错误信息" lookup-failure
wait_active "$entry"
type_text G
answer_message "错误信息"
wait_active "$entry"
# Only a key that reached a drug code box looks up again, so the second box
# shows that the G went where the D went.
shot lookup-after-failures
