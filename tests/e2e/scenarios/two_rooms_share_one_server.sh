#!/usr/bin/env bash
# Two consulting rooms on one PostgreSQL server, each workstation a program of
# its own with the server named only in its odbc.ini: a visit saved in the
# first is found by the query window of the second. Then the server goes down
# while both run: the save fails with its own message, the query list comes
# back empty, nothing ends; once the server is back the next save goes in,
# and the server holds each visit once.
source "$(dirname "$0")/../lib.sh"
e2e_begin

pg_state="$E2E_DIR/pg"
"${RX_SOURCE_DIR:?}/scripts/pg-cluster.sh" start "$pg_state" >"$E2E_DIR/pg.log" 2>&1 ||
    fail "expected a private PostgreSQL server to start, saw: $(tail -n 3 "$E2E_DIR/pg.log")"
stop_server() { "$RX_SOURCE_DIR/scripts/pg-cluster.sh" stop "$pg_state" >/dev/null 2>&1 || true; }
trap 'e2e_end; stop_server' EXIT
# shellcheck disable=SC1091
source "$pg_state/pg.env"
if [ -n "${RX_PG_UNAVAILABLE:-}" ]; then
    echo "skipped: $RX_PG_UNAVAILABLE"
    exit 77
fi
export PGHOST PGPORT PGUSER
psql -q -d postgres -c "create database rx_clinic" || fail "expected to create the database rx_clinic"
server_rows() { psql -qtA -d rx_clinic -c "select count(*) from 基本资料 where 姓名 = '$1'"; }

# Both rooms' registrations name the server; their connection texts stay as built.
for room in program program2; do
    [ "$room" = program ] || cp -a "$PROGRAM_DIR" "$E2E_DIR/$room"
    printf 'PGHost = %s\nPGPort = %s\nPGDatabase = rx_clinic\nPGUser = %s\n' \
        "$PGHOST" "$PGPORT" "$PGUSER" >>"$E2E_DIR/$room/odbc.ini"
done
ODBCSYSINI="$PROGRAM_DIR" ODBCINI="$PROGRAM_DIR/odbc.ini" \
    "${RX_RXDB:?}" --dsn "MS ACCESS DATABASE" create-prescriptions >"$E2E_DIR/rxdb.log" 2>&1 ||
    fail "expected rxdb to make the tables on the server, saw: $(cat "$E2E_DIR/rxdb.log")"

# Room 1 saves a visit.
start_program
room1=$PROGRAM_PID
E2E_PIDS+=("$room1")
entry1=$(log_in)
wait_active "$entry1"
type_patient 欧阳雪 女 35 感冒 咳嗽三天
add_drugs "$entry1" "ZHQ 10" "ZGC 6"
click_save "$entry1" room1-saved
expect_equal "rows of 欧阳雪 on the server after room 1's save" 1 "$(server_rows 欧阳雪)"
[ ! -s "$PROGRAM_DIR/data/sj.accdb" ] || [ "$(sql sj.accdb "select count(*) from 基本资料")" = 0 ] ||
    fail "expected room 1's local file to stay without the visit, saw it there"

# Room 2 finds it.
PROGRAM_DIR="$E2E_DIR/program2" start_program
room2=$PROGRAM_PID
entry2=$(log_in)
wait_active "$entry2"
click_control "$entry2" 按钮_处方查询   # 处方查询
query=$(wait_for_window QueryWindow)
wait_active "$query"
shot_control "$query" 超级列表框1 list-empty
click_control "$query" 按钮_查询
sleep 0.5
shot_control "$query" 超级列表框1 list-found
expect_changed list-empty list-found "room 2's query to list room 1's visit"
shot_control "$query" 分组框_门诊处方查询 detail-before
click_list_row "$query" 超级列表框1 0
sleep 0.3
shot_control "$query" 分组框_门诊处方查询 detail-after
expect_changed detail-before detail-after "the click on room 1's visit to fill room 2's detail boxes"
shot room2-found

# The server goes down while both run.
"$RX_SOURCE_DIR/scripts/pg-cluster.sh" pause "$pg_state" || fail "expected the server to stop"
click_control "$query" 按钮_查询   # 查询 once more
sleep 0.5
shot_control "$query" 超级列表框1 list-server-down
changed=$(pixels_between list-empty list-server-down)
[ "$changed" -lt 50 ] 2>/dev/null ||
    fail "expected room 2's list to come back empty with the server down, saw $changed pixels differ from an empty list"
kill -0 "$room2" 2>/dev/null || fail "expected room 2 to keep running with the server down"

PROGRAM_PID=$room1
saves_failed() { grep -c "Saving the visit into 基本资料 failed" "$E2E_DIR/program.log" || true; }
xdotool windowactivate --sync "$entry1"
wait_active "$entry1"
click_control "$entry1" 按钮_保存   # 保    存, the server down
answer_message "提示信息" room1-save-failed
expect_equal "saves room 1 logged as failed with the server down" 1 "$(saves_failed)"
kill -0 "$room1" 2>/dev/null || fail "expected room 1 to keep running with the server down"

# Back up: the next save goes in without anything being done to the program.
"$RX_SOURCE_DIR/scripts/pg-cluster.sh" resume "$pg_state" || fail "expected the server to start again"
click_control "$entry1" 按钮_保存   # 保    存 again
answer_message "提示信息" room1-saved-again
expect_equal "saves room 1 logged as failed after the server came back" 1 "$(saves_failed)"
expect_equal "rows of 欧阳雪 on the server after the failed and the repeated save" 2 "$(server_rows 欧阳雪)"
exit 0
