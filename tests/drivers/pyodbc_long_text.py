"""pyodbc reads a long Chinese text through unixODBC and the built driver.

Run by CTest with ODBCSYSINI/ODBCINI at the build's own registration files:
    python3 pyodbc_long_text.py RXDB DRIVER_NAME
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
    # The driver speaks GB18030 and has no wide entry points; unixODBC would
    # turn wide statement text into the locale's charset, so send it narrow.
    c.setencoding(encoding="gb18030")
    if ansi:
        c.setdecoding(pyodbc.SQL_CHAR, encoding="gb18030")
    else:
        c.setdecoding(pyodbc.SQL_CHAR, encoding="utf-16le", ctype=pyodbc.SQL_WCHAR)
    return c


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
        for f in failures:
            print("FAIL", f)
        if failures:
            sys.exit(1)
        print(f"read {len(TEXT)} characters back in both modes")


if __name__ == "__main__":
    main()
