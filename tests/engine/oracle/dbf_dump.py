#!/usr/bin/python3
"""Prints a dBASE table as the independent reader python3-dbf sees it, as JSON:
{"version": n, "codepage": "...", "fields": [[name, type, length, decimals]],
 "rows": [[value-as-text, ...]]} with deleted records left out. Values: None ->
null, dates ISO, logicals true/false, numbers as numbers, texts with the
trailing blanks removed."""
import datetime
import decimal
import json
import sys

import dbf


def text(v):
    if v is None:
        return None
    if isinstance(v, bool):
        return v
    if isinstance(v, (int, float)):
        return v
    if isinstance(v, decimal.Decimal):
        return float(v)
    if isinstance(v, (datetime.datetime, dbf.DateTime)):
        return v.strftime("%Y-%m-%d %H:%M:%S")
    if isinstance(v, (datetime.date, dbf.Date)):
        return v.strftime("%Y-%m-%d") if v else None
    if isinstance(v, bytes):
        return v.decode("latin-1")
    s = str(v).rstrip()
    return s if s else None


def main():
    # A table without a language-driver byte is read as Windows-1252, as the
    # program under test does (python3-dbf would take plain ASCII).
    t = dbf.Table(sys.argv[1], codepage=sys.argv[2]) if len(sys.argv) > 2 else dbf.Table(sys.argv[1])
    t.open(dbf.READ_ONLY)
    fields = []
    for name in t.field_names:
        info = t.field_info(name)
        fields.append([name, chr(info.field_type) if isinstance(info.field_type, int) else str(info.field_type),
                       info.length, info.decimal])
    rows = []
    for r in t:
        if dbf.is_deleted(r):
            continue
        rows.append([text(r[n]) for n in t.field_names])
    out = {"version": t._meta.header.version, "codepage": t.codepage.name, "fields": fields, "rows": rows}
    t.close()
    json.dump(out, sys.stdout, ensure_ascii=False)


main()
