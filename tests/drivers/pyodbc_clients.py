"""pyodbc, a client nobody here wrote, through unixODBC and the built driver:
a long Chinese text read back whole in both of its modes, and in its default
Unicode mode (the W entry points, UTF-16) statements, column names, catalog
names and diagnostics that carry Chinese and characters beyond the BMP.

Run by CTest with ODBCSYSINI/ODBCINI at the build's own registration files:
    python3 pyodbc_clients.py RXDB DRIVER_NAME
Exits 77 (skipped) when pyodbc cannot be imported.
"""

import os
import subprocess
import sys
import tempfile

try:
    import pyodbc
except ImportError as e:
    print(f"skipped: {e}")
    sys.exit(77)

# pyodbc asks for 4096 bytes first; 2046 two-byte characters put 𠮷 across
# that edge both as GB18030 (bytes 4092-4095) and as UTF-16 (units 2046-2047),
# so a piece cut short of the buffer shows up in either mode.
CHINESE = "".join(chr(0x4E00 + i % 20902) for i in range(100_000))  # all in GBK
TEXT = CHINESE[:2046] + "𠮷" + CHINESE[2046:] + "😀"


def connect(rxdb_file, driver, ansi):
    c = pyodbc.connect(f"DRIVER={{{driver}}};DBQ={rxdb_file};", ansi=ansi, autocommit=True)
    if ansi:
        # The ANSI entry points speak GB18030, as the program does.
        c.setencoding(encoding="gb18030")
        c.setdecoding(pyodbc.SQL_CHAR, encoding="gb18030")
    return c


def unicode_client(db, driver):
    """What pyodbc's defaults see; a list of what differed."""
    failures = []
    name = "欧阳𠮷'😀"
    with connect(db, driver, ansi=False) as c:
        c.execute("INSERT INTO 基本资料 (姓名,年龄) values ('" + name.replace("'", "''") + "',35)")
        cur = c.execute("select 姓名, 年龄 from 基本资料 where 姓名 like '%𠮷%'")
        columns = [d[0] for d in cur.description]
        if columns != ["姓名", "年龄"]:
            failures.append(f"column names {columns!r}")
        rows = cur.fetchall()
        if [tuple(r) for r in rows] != [(name, 35.0)]:
            failures.append(f"rows {[tuple(r) for r in rows]!r}")
        tables = sorted(t.table_name for t in c.cursor().tables())
        if "基本资料" not in tables or "检索" not in tables:
            failures.append(f"catalog tables {tables!r}")
        try:
            c.execute("select * from 没有的表")
            failures.append("a missing table gave no error")
        except pyodbc.Error as e:
            if e.args[0] != "42S02" or "没有的表" not in e.args[1]:
                failures.append(f"missing table diagnostic {e.args!r}")
    return failures


def main():
    rxdb, driver = sys.argv[1], sys.argv[2]
    os.environ.pop("ODBCINSTINI", None)  # only the build's registration files
    with tempfile.TemporaryDirectory() as folder:
        db = os.path.join(folder, "sj.accdb")
        subprocess.run([rxdb, "create-prescriptions", db], check=True)
        failures = []
        with connect(db, driver, ansi=True) as c:
            c.execute("INSERT INTO 基本资料 (姓名,现病史) values ('长','" + TEXT + "')")
        for ansi, mode in ((True, "ansi, SQL_C_CHAR"), (False, "unicode, SQL_C_WCHAR")):
            with connect(db, driver, ansi) as c:
                try:
                    got = c.execute("select 现病史 from 基本资料").fetchone()[0]
                except pyodbc.Error as e:
                    failures.append(f"{mode}: {e}")
                    continue
            if got != TEXT:
                at = next((i for i, (a, b) in enumerate(zip(got, TEXT)) if a != b), min(len(got), len(TEXT)))
                failures.append(f"{mode}: {len(got)} characters back for {len(TEXT)}, first difference at {at}")
        failures += [f"unicode defaults: {f}" for f in unicode_client(db, driver)]
        for f in failures:
            print("FAIL", f)
        if failures:
            sys.exit(1)
        print(f"read {len(TEXT)} characters back in both modes; Unicode names and messages whole")


if __name__ == "__main__":
    main()
