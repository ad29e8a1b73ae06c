"""The medium check's report: the terminal's table, report.md, report.html,
JUnit XML, and their way into the report folder."""
