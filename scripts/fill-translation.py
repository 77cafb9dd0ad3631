#!/usr/bin/env python3
"""Fills translations/quenzal_en.ts from a table of English texts.

lupdate (the target update_translations) adds new source texts to the .ts
file unfinished; this script writes the English text of every source text
that the table knows and marks it finished. Source texts that are plain
ASCII already (start values, "IP", "MAC") translate to themselves. Prints what it could not
translate and exits 1 when something is left.

    python3 scripts/fill-translation.py translations/quenzal_en.ts translations/en-table.py
"""
import re
import runpy
import sys
import xml.etree.ElementTree as ET

ts_path, table_path = sys.argv[1], sys.argv[2]
table = runpy.run_path(table_path)["M"]
tree = ET.parse(ts_path)
left = []
for message in tree.getroot().iter("message"):
    source = message.find("source").text or ""
    translation = message.find("translation")
    if re.fullmatch(r"[\x20-\x7e]+", source) and source not in table:
        text = source
    elif source in table:
        text = table[source]
    else:
        left.append(source)
        continue
    translation.text = text
    translation.attrib.pop("type", None)
tree.write(ts_path, encoding="utf-8", xml_declaration=True)
with open(ts_path, "r+", encoding="utf-8") as f:
    body = f.read().replace("<?xml version='1.0' encoding='utf-8'?>", '<?xml version="1.0" encoding="utf-8"?>\n<!DOCTYPE TS>', 1)
    f.seek(0)
    f.write(body)
    f.truncate()
for s in left:
    print("untranslated:", s)
sys.exit(1 if left else 0)
