"""The medium check's report: what each run showed, started and changed, as
the terminal's table, report.md (readable as text too), report.html and, for
build servers, JUnit XML; with a picture of every box. Each run is seen the
same way by all of them (view)."""

import re

from kit.checking import machine_judgement as judge
from kit.report import report_html
from kit.report import report_junit

REPORT, PAGE = "report.md", "report.html"


def picture_name(row, shot):
    """A box's picture in the report folder, named after its machine's
    folder of pictures (see report_out.py)."""
    return f"{row['shots'].name}-{shot.name}"


def column(row):
    return (row["windows"], row["language"])


def column_heading(windows, language):
    return f"Windows {windows}" + (f", {language}" if language else "")


def view(row, start_program):
    """A run as every form of the report shows it."""
    run = row["run"]
    boxes = []
    for n, (caption, text) in enumerate(run.boxes, 1):
        shot = row["shots"] / f"box-{n}.png"
        boxes.append((caption, text, picture_name(row, shot) if shot.exists() else None))
    changes = [f"{path} {change.what}" for path, change in run.files.items()]
    changes += run.registry + run.outside
    handed = judge.handed_over(run.files)
    if handed is not None:
        changes.append("list: " + " / ".join(handed))
    place = f"m{row['number']}-{row['windows']}" + (
        f"-{row['language'].lower()}" if row["language"] else "")
    return {"id": place, "machine": row["number"], "column": column(row),
            "name": row["name"], "machine_name": f"machine {row['number']} "
            f"({row['description']})", "boxes": boxes,
            "started": judge.started_texts(row, start_program), "changes": changes,
            "problems": row["problems"], "seconds": run.seconds,
            "problems_here": [p.removeprefix(f"machine {row['name']}: ")
                              for p in row["problems"]]}


def layout(rows):
    """The grid's columns (Windows version and language) and rows
    (machines), in the order the check ran them."""
    columns, machines = {}, {}
    for row in rows:
        columns.setdefault(column(row), column_heading(*column(row)))
        machines.setdefault(row["number"], f"{row['number']} ({row['description']})")
    return list(columns.items()), list(machines.items())


# Markdown: machine texts go in code spans, where nothing but a table's bar
# and a backtick means anything; the report's own words need no escaping
# but for the few characters that Markdown or HTML would act on.
def code(text):
    text = text.replace("\r", "\\r").replace("\n", "\\n").replace("|", "\\|")
    fence = "`" * (max((len(run) for run in re.findall(r"`+", text)), default=0) + 1)
    pad = " " if text.startswith("`") or text.endswith("`") or not text.strip() else ""
    return f"{fence}{pad}{text}{pad}{fence}"


def plain(text):
    text = text.replace("\r", " ").replace("\n", " ")
    text = re.sub(r"\\(?=[!-/:-@\[-`{-~])", r"\\\\", text)
    return re.sub(r"([`*_\[\]<>|])", r"\\\1", text)


def cell(items):
    return "<br>".join(items) or "none"


def table(views, markdown=False):
    """One row per run; in Markdown, each box carries its picture."""
    wrap = code if markdown else (lambda text: text.replace("\n", " / "))
    lines = ["| Machine | Boxes | Started | Changed |", "|---|---|---|---|"]
    for each in views:
        boxes = []
        for n, (caption, text, picture) in enumerate(each["boxes"], 1):
            shown = wrap(f"[{caption}] {text}")
            boxes.append(shown + (f" ![box {n}]({picture})" if markdown and picture else ""))
        cells = [[plain(each["name"]) if markdown else each["name"]], boxes,
                 [wrap(text) for text in each["started"]],
                 [wrap(text) for text in each["changes"]]]
        lines.append("| " + " | ".join(cell(x) for x in cells) + " |")
    return "\n".join(lines)


def markdown_report(title, views, verdict, reasons):
    text = [f"# {plain(title)}", "", table(views, markdown=True), ""]
    text += [f"- problem: {plain(reason)}" for reason in reasons]
    return "\n".join(text + ["", plain(verdict)]) + "\n"


def files(title, rows, views, verdict, ready, medium_problems, reasons):
    """The report folder's files: report.md, report.html and a picture of
    every box, by name."""
    out = {}
    for row in rows:
        for shot in sorted(row["shots"].glob("*.png")):
            out[picture_name(row, shot)] = shot.read_bytes()
    out[REPORT] = markdown_report(title, views, verdict, reasons).encode()
    columns, machines = layout(rows)
    out[PAGE] = report_html.page(title, verdict, ready, medium_problems, views,
                                 columns, machines).encode()
    return out


def junit(medium, rows, views, medium_problems, files_seconds, error=None):
    return report_junit.junit(medium, medium_problems, files_seconds, views,
                              layout(rows)[0], error).encode()
