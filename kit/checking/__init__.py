"""Checking a medium: its files, its start program, the customer machines
and the judgement of their runs."""
