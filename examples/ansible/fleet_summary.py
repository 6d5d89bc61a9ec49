#!/usr/bin/python3
"""Writes fleet.csv and fleet.html from the reports the display check
collected: REPORTS/<host>/display.json for every host.

    fleet_summary.py REPORTS [HOST ...]

One row per host and display, one row with verdict "no display" for a host
where none was found, and one row with verdict "no report" for each HOST
named whose report is missing (the check failed there). Quoting and escaping
are left to Python's csv and html modules."""

import csv
import html
import json
import sys
from pathlib import Path

COLUMNS = ["host", "device", "model", "serial number", "connector", "fitting verdict"]

FITS = "YOUR_SYSTEM_CAN_TAKE_FULL_ADVANTAGE_OF_YOUR_DISPLAY_RESOLUTION."
CANNOT_REACH = "YOUR_SYSTEM_CAN'T_REACH_THE_MAXIMUM_RESOLUTION_OF_YOUR_DISPLAY."


def verdict(run):
    """What the resolution fitting test concluded, in words."""
    if run is None:
        return "not run"
    if run.get("result") == 0:
        messages = run.get("messages", [])
        if FITS in messages:
            return "fits"
        if CANNOT_REACH in messages:
            return "cannot reach native resolution"
        return "passed"
    name = run.get("resultName", str(run.get("result")))
    # "NotPerformed" -> "not performed"
    words = "".join(" " + c.lower() if c.isupper() else c for c in name).strip()
    return words


def host_rows(host, report):
    devices = report.get("devices", [])
    if not devices:
        return [[host, "", "", "", "", "no display"]]
    fitting = {run["device"]: run for run in report.get("runs", [])
               if run.get("test") == "resolution_fitting"}
    rows = []
    for device in devices:
        run = fitting.get(device["id"], {})
        platform = device.get("platform", {})
        rows.append([
            host,
            device["id"],
            run.get("modelName", device.get("name", "")),
            run.get("serialNumber", platform.get("serialNumber", "")),
            run.get("connector", platform.get("connector", "")),
            verdict(fitting.get(device["id"])),
        ])
    return rows


def collect(reports, hosts):
    rows = []
    seen = set()
    for path in sorted(reports.glob("*/display.json")):
        host = path.parent.name
        seen.add(host)
        with open(path, encoding="utf-8") as file:
            rows += host_rows(host, json.load(file))
    for host in hosts:
        if host not in seen:
            rows.append([host, "", "", "", "", "no report"])
    rows.sort(key=lambda row: (row[0], row[1]))
    return rows


def write_csv(path, rows):
    with open(path, "w", newline="", encoding="utf-8") as file:
        writer = csv.writer(file)
        writer.writerow(COLUMNS)
        writer.writerows(rows)


def write_html(path, rows):
    def cells(tag, values):
        return "".join(f"<{tag}>{html.escape(value)}</{tag}>" for value in values)

    lines = [
        "<!DOCTYPE html>",
        '<html lang="en">',
        '<head><meta charset="utf-8"><title>Display check of the fleet</title>',
        "<style>table{border-collapse:collapse}th,td{border:1px solid #999;"
        "padding:2px 6px;text-align:left}</style></head>",
        "<body>",
        "<h1>Display check of the fleet</h1>",
        f"<p>{html.escape(str(len({row[0] for row in rows})))} host(s), "
        f"{html.escape(str(sum(1 for row in rows if row[1])))} display(s).</p>",
        "<table>",
        f"<tr>{cells('th', COLUMNS)}</tr>",
    ]
    lines += [f"<tr>{cells('td', row)}</tr>" for row in rows]
    lines += ["</table>", "</body>", "</html>"]
    with open(path, "w", encoding="utf-8") as file:
        file.write("\n".join(lines) + "\n")


def main(arguments):
    if not arguments:
        print(__doc__, file=sys.stderr)
        return 2
    reports = Path(arguments[0])
    reports.mkdir(parents=True, exist_ok=True)
    rows = collect(reports, arguments[1:])
    write_csv(reports / "fleet.csv", rows)
    write_html(reports / "fleet.html", rows)
    return 0


if __name__ == "__main__":
    sys.exit(main(sys.argv[1:]))
