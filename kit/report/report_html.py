"""report.html: the medium check on one self-contained page (no script, no
network; the box pictures are files beside it): the verdict and each
problem, linked to where it comes from, then a grid with a row for each
machine and a column for each Windows version and language, each cell
showing that run's boxes (their pictures, full size on click), what was
started and what changed. Every text that comes from the medium or a
machine is escaped: it stays text."""

from html import escape

STYLE = """
body { font: 14px/1.4 system-ui, sans-serif; margin: 16px; color: #222; max-width: 100%; }
h1 { font-size: 20px; margin: 0 0 8px; }
h2 { font-size: 16px; margin: 20px 0 8px; }
.verdict { font-size: 16px; font-weight: bold; padding: 8px 12px; border-radius: 4px; }
.ready { background: #e3f4e1; border-left: 6px solid #2e8b2e; }
.not-ready { background: #fbe5e1; border-left: 6px solid #c0392b; }
ol.problems li { margin: 2px 0; }
.grid { overflow-x: auto; }
table { border-collapse: collapse; }
th, td { border: 1px solid #ccc; padding: 6px; vertical-align: top; text-align: left; }
thead th { background: #f2f2f2; position: sticky; top: 0; }
tbody th { background: #fafafa; width: 150px; }
td { min-width: 230px; max-width: 340px; font-size: 12px; }
td.problem { background: #fff4f2; }
td:target { outline: 3px solid #e67e22; }
figure { margin: 0 0 6px; }
figure img { max-width: 100%; border: 1px solid #999; display: block; }
figcaption { margin-top: 2px; }
code { font: 11px/1.3 ui-monospace, monospace; word-break: break-all; }
h3 { font-size: 11px; text-transform: uppercase; color: #666; margin: 6px 0 2px; }
ul { margin: 0; padding-left: 16px; }
.none { color: #888; }
@media print {
  body { margin: 0; font-size: 10px; }
  .grid { overflow: visible; }
  td { min-width: 0; font-size: 8px; }
  tr { break-inside: avoid; }
  thead th { position: static; }
}
"""


def _list(items, code=False):
    if not items:
        return '<p class="none">none</p>'
    wrap = (lambda text: f"<code>{escape(text)}</code>") if code else escape
    return "<ul>" + "".join(f"<li>{wrap(item)}</li>" for item in items) + "</ul>"


def _cell(view):
    parts = []
    for caption, text, picture in view["boxes"]:
        image = (f'<a href="{escape(picture)}"><img src="{escape(picture)}" '
                 f'alt="{escape(caption)}"></a>' if picture else "")
        parts.append(f"<figure>{image}<figcaption><b>{escape(caption)}</b> "
                     f"{escape(text)}</figcaption></figure>")
    if not view["boxes"]:
        parts.append('<p class="none">no box</p>')
    parts.append("<h3>Started</h3>" + _list(view["started"], code=True))
    parts.append("<h3>Changed</h3>" + _list(view["changes"], code=True))
    if view["problems"]:
        parts.append("<h3>Problems</h3>" + _list(view["problems_here"]))
    kind = "problem" if view["problems"] else "ok"
    return f'<td id="{view["id"]}" class="{kind}">' + "".join(parts) + "</td>"


def page(title, verdict, ready, medium_problems, views, columns, machines):
    """views: one for each run (see check_report.view); columns: (key,
    heading) in order; machines: (number, heading) in order."""
    out = ['<!DOCTYPE html>\n<html lang="en">\n<head>\n<meta charset="utf-8">\n',
           '<meta name="viewport" content="width=device-width, initial-scale=1">\n',
           f"<title>{escape(title)}</title>\n<style>{STYLE}</style>\n</head>\n<body>\n",
           f"<h1>{escape(title)}</h1>\n",
           f'<p class="verdict {"ready" if ready else "not-ready"}">{escape(verdict)}</p>\n']
    problems = [("files", problem) for problem in medium_problems]
    problems += [(view["id"], problem) for view in views for problem in view["problems"]]
    if problems:
        out.append("<h2>Problems</h2>\n<ol class=\"problems\">\n")
        out += [f'<li><a href="#{target}">{escape(problem)}</a></li>\n'
                for target, problem in problems]
        out.append("</ol>\n")
    out.append('<h2 id="files">The medium\'s files</h2>\n' + _list(medium_problems) + "\n")
    if views:
        by_place = {(view["machine"], view["column"]): view for view in views}
        out.append("<h2>What each customer sees</h2>\n<div class=\"grid\"><table>\n<thead><tr>"
                   "<th>Machine</th>" + "".join(f"<th>{escape(heading)}</th>"
                                                 for _, heading in columns) + "</tr></thead>\n<tbody>\n")
        for number, heading in machines:
            cells = [_cell(by_place[number, key]) if (number, key) in by_place else "<td></td>"
                     for key, _ in columns]
            out.append(f"<tr><th>{escape(heading)}</th>" + "".join(cells) + "</tr>\n")
        out.append("</tbody></table></div>\n")
    out.append("</body>\n</html>\n")
    return "".join(out)
