#!/usr/bin/env python3
"""sources-alone.py BUILD: every source that BUILD compiles a few to a unit also compiles on its
own, syntax only. A source that builds only beside the others of its unit (a missing include)
would fail the day a new file moves it to another unit; this finds it at once, for a fraction of
the time a build without units takes."""
import concurrent.futures
import json
import os
import re
import shlex
import subprocess
import sys

INCLUDED = re.compile(r'^#include "(.+)"$', re.MULTILINE)


def commands_alone(entry):
    with open(entry["file"], encoding="utf-8") as unit:
        sources = INCLUDED.findall(unit.read())
    words = entry["arguments"] if "arguments" in entry else shlex.split(entry["command"])
    kept = []
    skip = False
    for word in words:
        if skip:
            skip = False
        elif word == "-o":
            skip = True
        elif word != entry["file"] and word != "-c":
            kept.append(word)
    return [(source, kept + ["-fsyntax-only", source], entry["directory"]) for source in sources]


def compile_alone(job):
    source, command, directory = job
    result = subprocess.run(command, cwd=directory, capture_output=True, text=True)
    return source, result.returncode, result.stderr


def main():
    build = sys.argv[1]
    with open(os.path.join(build, "compile_commands.json"), encoding="utf-8") as listing:
        entries = json.load(listing)
    jobs = [job for entry in entries if "/Unity/unity_" in entry["file"]
            for job in commands_alone(entry)]
    if not jobs:
        sys.exit(f"{build} compiles no source in a unit")
    failed = 0
    with concurrent.futures.ThreadPoolExecutor(os.cpu_count()) as pool:
        for source, status, errors in pool.map(compile_alone, jobs):
            if status != 0:
                failed += 1
                print(f"== {source} does not compile on its own\n{errors}", file=sys.stderr)
    print(f"{len(jobs) - failed} of {len(jobs)} sources compile on their own")
    sys.exit(1 if failed else 0)


if __name__ == "__main__":
    main()
