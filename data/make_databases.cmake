# cmake -DRXDB=... -DDRIVER=... -DOUT_DIR=... -DHERBAL_CSV=... -DWESTERN_CSV=... -P make_databases.cmake
# Each file is made under a temporary name and moved into place only when it
# is complete, so an interrupted or failed build leaves no half-filled file.
file(MAKE_DIRECTORY "${OUT_DIR}")

function(rxdb_run)
    execute_process(COMMAND "${RXDB}" --driver "${DRIVER}" ${ARGN} RESULT_VARIABLE rc OUTPUT_QUIET
                    ERROR_VARIABLE err)
    if(NOT rc EQUAL 0)
        message(FATAL_ERROR "rxdb ${ARGN} failed: ${err}")
    endif()
endfunction()

function(fresh_temp path)
    foreach(suffix "" "-wal" "-shm" "-journal")
        file(REMOVE "${path}${suffix}")
    endforeach()
endfunction()

set(sj "${OUT_DIR}/sj.accdb")
if(NOT EXISTS "${sj}")
    set(tmp "${OUT_DIR}/.sj.accdb.new")
    fresh_temp("${tmp}")
    rxdb_run(create-prescriptions "${tmp}")
    file(RENAME "${tmp}" "${sj}")
    message(STATUS "Made ${sj}")
endif()

# The drug catalogue is opened read-only, often from a folder the user may
# not write to, which SQLite cannot do for a file in WAL mode (header bytes 18
# and 19 are 2). A catalogue left in WAL mode, by an older build or by an
# administrator's edit, is settled in place: every row stays.
set(xs "${OUT_DIR}/xs.mdb")
if(EXISTS "${xs}")
    file(READ "${xs}" xs_mode OFFSET 18 LIMIT 2 HEX)
    if(xs_mode STREQUAL "0202")
        # A file in use (the program running from this folder) cannot be
        # settled now; the build goes on and tries again next time.
        execute_process(COMMAND "${RXDB}" --driver "${DRIVER}" settle-drugs "${xs}"
                        RESULT_VARIABLE rc OUTPUT_QUIET ERROR_VARIABLE err)
        if(rc EQUAL 0)
            message(STATUS "${xs} was in WAL mode: settled in rollback-journal mode")
        else()
            message(WARNING "${xs} is in WAL mode and could not be settled now: ${err}")
        endif()
    endif()
endif()
if(NOT EXISTS "${xs}")
    set(tmp "${OUT_DIR}/.xs.mdb.new")
    fresh_temp("${tmp}")
    rxdb_run(create-drugs "${tmp}")
    foreach(pair "仓库|${HERBAL_CSV}" "西药|${WESTERN_CSV}")
        string(REPLACE "|" ";" parts "${pair}")
        list(GET parts 0 table)
        list(GET parts 1 csv)
        if(EXISTS "${csv}")
            rxdb_run(import-drugs "${tmp}" "${table}" "${csv}")
        else()
            message(WARNING "${csv} not found: table ${table} of xs.mdb stays empty")
        endif()
    endforeach()
    file(RENAME "${tmp}" "${xs}")
    message(STATUS "Made ${xs}")
endif()
