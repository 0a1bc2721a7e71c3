#!/usr/bin/env bash
# A clinic moving over with its old Access files: a fresh program directory
# gets both database files from rxdb import-access, then 处方查询 finds 张伟 and
# the 𠮷 patient among the imported visits and shows them, and the drug lookup
# finds the imported catalogue's 当归 by its code DG.
source "$(dirname "$0")/../lib.sh"
e2e_begin

fixtures="${RX_SOURCE_DIR:?}/tests/data/access"
rm -f "$PROGRAM_DIR"/data/sj.accdb* "$PROGRAM_DIR"/data/xs.mdb*
for file in sj.accdb xs.mdb; do
    ODBCSYSINI="$PROGRAM_DIR" ODBCINI="$PROGRAM_DIR/odbc.ini" \
        "${RX_RXDB:?}" import-access "$fixtures/$file" "$PROGRAM_DIR/data/$file" >>"$E2E_DIR/rxdb.log" 2>&1 ||
        fail "expected rxdb to import $file, saw: $(cat "$E2E_DIR/rxdb.log")"
done
grep -q "基本资料: 22 rows in the file, 22 read, 22 written, 22 read back" "$E2E_DIR/rxdb.log" ||
    fail "expected the report to count 22 visits on both sides, saw: $(cat "$E2E_DIR/rxdb.log")"
expect_equal "the 𠮷 patient in the imported file" "𠮷永红" "$(sql sj.accdb "select 姓名 from 基本资料 where 编号 = 5")"

start_program
entry=$(log_in)
wait_active "$entry"
# A visit with a drug of the imported catalogue, looked up by its code.
type_patient 张三 男 35 感冒 咳嗽三天
add_drugs "$entry" "DG 10"
shot drug-looked-up
click_save "$entry"
expect_equal "the herbal prescription saved with the imported drug" "当归10g," \
    "$(sql sj.accdb "select 中药处方 from 基本资料 where 姓名 = '张三'")"
expect_equal "the new visit numbered after the imported ones" 23 \
    "$(sql sj.accdb "select 编号 from 基本资料 where 姓名 = '张三'")"
click_control "$entry" 按钮_处方查询
query=$(wait_for_window QueryWindow)
wait_active "$query"
# The start date opens at 1 January of this year; the visits go back to 2016.
click_control "$query" 日期框1 left   # 日期框1, its year
key Home
key Down Down Down Down Down Down Down Down Down Down Down Down Down Down Down

# Searches the name part $1 and shows the first row found; $2 names the shots.
find_visit() {
    click_control "$query" 编辑框1
    key ctrl+a BackSpace
    type_text "$1"
    shot_control "$query" 超级列表框1 "$2-before"
    click_control "$query" 按钮_查询
    sleep 0.5
    shot_control "$query" 超级列表框1 "$2-list"
    expect_changed "$2-before" "$2-list" "the query to list the imported visit of $1"
    shot_control "$query" 分组框_门诊处方查询 "$2-detail-before"
    click_list_row "$query" 超级列表框1 0
    sleep 0.3
    shot_control "$query" 分组框_门诊处方查询 "$2-detail"
    expect_changed "$2-detail-before" "$2-detail" "the click on $1's row to fill the detail boxes"
    shot "$2"
}
find_visit 张伟 zhang-wei
find_visit 永红 ji-yonghong

exit 0
