#!/usr/bin/env python3
# Reads an iCalendar file with the icalendar package and prints its components as JSON,
# so the tests check the export with a parser that is not ours.
import json
import sys

from icalendar import Calendar
from icalendar.parser import Contentlines
from icalendar.prop import vText

with open(sys.argv[1], "rb") as f:
    data = f.read()
cal = Calendar.from_ical(data)

# This icalendar release splits CATEGORIES at escaped commas too, so the raw values are read
# from the parser's unfolded content lines and unescaped with its TEXT rules (one category each).
categories = {}
uid = None
for line in Contentlines.from_ical(data.decode("utf-8")):
    if not line:
        continue
    name, params, value = line.parts()
    if name == "UID":
        uid = vText.from_ical(value)
    elif name == "CATEGORIES":
        categories.setdefault(uid, []).append(str(vText.from_ical(value)))
out = {"version": str(cal.get("version")), "prodid": str(cal.get("prodid")), "items": []}
for comp in cal.walk():
    if comp.name not in ("VEVENT", "VTODO"):
        continue
    item = {"kind": comp.name}
    for key in ("uid", "summary", "description", "status", "x-worktide-finished"):
        if key in comp:
            item[key] = str(comp.get(key))
    if str(comp.get("uid")) in categories:
        item["categories"] = categories[str(comp.get("uid"))]
    for key in ("dtstart", "dtend"):
        if key in comp:
            item[key] = comp.decoded(key).isoformat()
            item[key + "_value"] = str(comp[key].params.get("VALUE", ""))
    item["has_dtstamp"] = "dtstamp" in comp
    out["items"].append(item)
json.dump(out, sys.stdout, ensure_ascii=False)
