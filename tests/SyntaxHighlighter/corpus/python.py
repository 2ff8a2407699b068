#!/usr/bin/env python3
"""Summarise a log file by severity."""

from __future__ import annotations

import re
import sys
from collections import Counter
from dataclasses import dataclass, field

LINE = re.compile(r"^(?P<when>\S+) (?P<level>[A-Z]+) (?P<text>.*)$")


@dataclass
class Summary:
    counts: Counter = field(default_factory=Counter)
    first_error: str | None = None

    def add(self, level: str, text: str) -> None:
        self.counts[level] += 1
        if level == "ERROR" and self.first_error is None:
            self.first_error = text

    def __str__(self) -> str:
        parts = [f"{level.lower()}={n}" for level, n in sorted(self.counts.items())]
        return ", ".join(parts) or "empty"


class StrictSummary(Summary):
    def add(self, level: str, text: str) -> None:
        if level not in {"DEBUG", "INFO", "WARNING", "ERROR"}:
            raise ValueError(f"unknown level {level!r} in {text[:20]!r}")
        super().add(level, text)


def summarise(path: str, strict: bool = False) -> Summary:
    summary = StrictSummary() if strict else Summary()
    with open(path, encoding="utf-8") as handle:
        for number, line in enumerate(handle, start=1):
            match = LINE.match(line.rstrip("\n"))
            if not match:
                print(f"{path}:{number}: skipped", file=sys.stderr)
                continue
            summary.add(match["level"], match["text"])
    return summary


if __name__ == "__main__":
    print(summarise(sys.argv[1], strict=len(sys.argv) > 2 and True))
