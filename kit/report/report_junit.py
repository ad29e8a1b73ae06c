"""The medium check as JUnit XML, as build servers (Jenkins, GitLab, GitHub
Actions) read it: a test suite for the medium's files, one for each Windows
version and language, a test case for each machine; a machine with problems
fails with its first problem as the message and all of them as the text; a
check that could not run is an error."""

from xml.sax.saxutils import escape, quoteattr

# What XML 1.0 cannot carry at all, whatever a name on the medium holds.
_FORBIDDEN = {c: "\ufffd" for c in list(range(0x20)) if c not in (0x9, 0xA, 0xD)}


def _text(text):
    return escape(str(text).translate(_FORBIDDEN))


def _attribute(text):
    return quoteattr(str(text).translate(_FORBIDDEN))


def _case(classname, name, seconds, problems, error=None):
    head = (f"    <testcase classname={_attribute(classname)} name={_attribute(name)} "
            f'time="{seconds:.3f}"')
    if error:
        return (f"{head}>\n      <error message={_attribute(error)}>{_text(error)}</error>\n"
                "    </testcase>\n")
    if problems:
        return (f"{head}>\n      <failure message={_attribute(problems[0])}>"
                f"{_text(chr(10).join(problems))}</failure>\n    </testcase>\n")
    return head + "/>\n"


def _suite(name, cases):
    """cases: (xml, seconds, failed, errored)."""
    return (f"  <testsuite name={_attribute(name)} tests=\"{len(cases)}\" "
            f"failures=\"{sum(c[2] for c in cases)}\" errors=\"{sum(c[3] for c in cases)}\" "
            f'time="{sum(c[1] for c in cases):.3f}">\n' + "".join(c[0] for c in cases)
            + "  </testsuite>\n")


def junit(medium, medium_problems, files_seconds, views, columns, error=None):
    """views as for report_html.page, in order; columns: (key, heading);
    error: why the check could not run, or None."""
    suites = [_suite("the medium's files", [(
        _case("the medium's files", medium, files_seconds, medium_problems),
        files_seconds, bool(medium_problems), False)])]
    for key, heading in columns:
        cases = [(_case(heading, view["machine_name"], view["seconds"], view["problems"]),
                  view["seconds"], bool(view["problems"]), False)
                 for view in views if view["column"] == key]
        suites.append(_suite(heading, cases))
    if error:
        suites.append(_suite("the check", [(_case("the check", "the check could run", 0.0,
                                                  [], error), 0.0, False, True)]))
    return '<?xml version="1.0" encoding="UTF-8"?>\n<testsuites name="check-medium">\n' + \
        "".join(suites) + "</testsuites>\n"
