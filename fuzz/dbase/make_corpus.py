#!/usr/bin/python3
"""Writes the fuzz starting corpus with python3-dbf: small dBASE III, FoxPro
and Visual FoxPro tables with memos, each followed by the marker
"DBFMEMO::" and its memo file."""
import datetime
import os
import tempfile

import dbf

HERE = os.path.join(os.path.dirname(os.path.abspath(__file__)), "corpus")
KINDS = {
    "db3": ("name C(10); amount N(7,2); born D; ok L; notes M", "dbt"),
    "fp": ("name C(10); amount N(7,2); born D; ok L; notes M; ratio F(10,3)", "fpt"),
    "vfp": ("name C(10); amount N(7,2); born D; ok L; notes M; num I; pay Y; stamp T; dbl B", "fpt"),
}


def main():
    os.makedirs(HERE, exist_ok=True)
    for kind, (fields, memo_ext) in KINDS.items():
        with tempfile.TemporaryDirectory() as tmp:
            path = os.path.join(tmp, "t.dbf")
            t = dbf.Table(path, fields, dbf_type=kind, codepage="cp1252")
            t.open(dbf.READ_WRITE)
            for i in range(3):
                values = {"name": "row %d" % i, "amount": i * 1.25, "born": datetime.date(1990, 1, i + 1),
                          "ok": i % 2 == 0, "notes": "memo text %d " % i * (i * 20 + 1)}
                if kind == "vfp":
                    values.update(num=i, pay=i * 2.5, stamp=datetime.datetime(2020, 1, 1, 12, 0, i), dbl=i / 3)
                t.append(values)
            t.close()
            data = open(path, "rb").read()
            memo = open(os.path.join(tmp, "t." + memo_ext), "rb").read()
            with open(os.path.join(HERE, kind + "_memo.bin"), "wb") as out:
                out.write(data + b"DBFMEMO::" + memo)
            with open(os.path.join(HERE, kind + "_nomemo.dbf"), "wb") as out:
                out.write(data)


main()
