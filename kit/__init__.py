"""The publisher's kit: make a medium or its image, check it on simulated
customer machines, report, sign."""
