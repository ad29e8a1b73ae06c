"""The medium check's table, printed and in report.md, with a picture of
every box: one row for each machine, its boxes, what started and what was
written."""

import html
import re

import machine_judgement as judge

REPORT = "report.md"


def markdown(text):
    """Text as it reads in Markdown and HTML, whatever a file name holds."""
    text = html.escape(text, quote=True)
    return re.sub(r"([\\`*_{}\[\]()#+\-.!|~])", r"\\\1", text)


def picture_name(row, shot):
    """A box's picture in the report folder, named after its machine's
    folder of pictures (see report_out.py)."""
    return f"{row['shots'].name}-{shot.name}"


def cell(items):
    return "<br>".join(item.replace("|", "\\|").replace("\n", " / ") for item in items) or "none"


def table(rows, start_program, escape=str, links=False):
    """One row per machine; with links, each box carries its picture."""
    lines = ["| Machine | Boxes | Started | Files written |", "|---|---|---|---|"]
    for row in rows:
        boxes = []
        for n, (caption, text) in enumerate(row["run"].boxes, 1):
            shot = row["shots"] / f"box-{n}.png"
            picture = f" ![box {n}]({picture_name(row, shot)})" if links and shot.exists() else ""
            boxes.append(escape(f"[{caption}] {text}") + picture)
        started = [escape(text) for text in judge.started_texts(row, start_program)]
        run = row["run"]
        written = [escape(f"{path} {change.what}") for path, change in run.files.items()]
        written += [escape(text) for text in run.registry + run.outside]
        handed = judge.handed_over(run.files)
        if handed is not None:
            written.append(escape("list: " + " / ".join(handed)))
        cells = [[escape(row["name"])], boxes, started, written]
        lines.append("| " + " | ".join(cell(x) for x in cells) + " |")
    return "\n".join(lines)


def files(title, rows, start_program, verdict, reasons):
    """The report's files: report.md and a picture of every box, by name."""
    out = {}
    for row in rows:
        for shot in sorted(row["shots"].glob("*.png")):
            out[picture_name(row, shot)] = shot.read_bytes()
    text = [f"# {markdown(title)}", "", table(rows, start_program, markdown, links=True), ""]
    text += [f"- problem: {markdown(reason)}" for reason in reasons]
    text += ["", markdown(verdict)]
    out[REPORT] = ("\n".join(text) + "\n").encode()
    return out
