#!/usr/bin/env python3
"""Checks that the manual page and the bash completion of tramino-cli name exactly the commands
and options that its --help lists, that the window's manual page names exactly the options of the
window's --help, and that the manual pages format without a warning.
Usage: scripts/check-docs.py TRAMINO_CLI COMPLETION MAN_PAGE [MORE_MAN_PAGES...] [--window TRAMINO PAGE]
(MAN_PAGE is tramino-cli's; the others are only formatted)
"""
import os
import re
import shutil
import subprocess
import sys

HELP_OPTIONS = re.compile(r"^  ((?:--?[a-z][a-z-]*)(?:, --?[a-z][a-z-]*)*)")
MAN_OPTION = re.compile(r"(?<![\w\\])\\-(?:\\-)?[a-z][a-z0-9]*(?:\\-[a-z0-9]+)*")


def run(args, env=None):
    return subprocess.run(args, check=True, capture_output=True, text=True, env=env).stdout


def window_problems(program, page):
    """The window's --help needs no screen: it is answered before any window is made."""
    env = dict(os.environ, QT_QPA_PLATFORM="offscreen")
    problems = []
    compare("the window's manual page's OPTIONS", help_options(run([program, "--help"], env)),
            man_sections(page).get("OPTIONS", set()), problems)
    return problems


def help_options(text):
    found = set()
    for line in text.splitlines():
        match = HELP_OPTIONS.match(line)
        if match:
            found.update(match.group(1).split(", "))
    return found


def commands(cli):
    text = run([cli, "--help"])
    block = text.split("Commands:\n", 1)[1].split("\n\n", 1)[0]
    return [line.split()[0] for line in block.splitlines()]


def man_sections(page):
    """The options of the tagged paragraphs under each .SH and .SS heading, by the heading's
    first word."""
    sections = {}
    current = None
    lines = open(page, encoding="utf-8").read().splitlines()
    for i, line in enumerate(lines):
        if line.startswith((".SH ", ".SS ")):
            current = line.split(None, 1)[1].strip('"').split()[0]
            sections.setdefault(current, set())
        elif line == ".TP" and current and i + 1 < len(lines):
            tag = lines[i + 1]
            sections[current].update(m.replace("\\-", "-") for m in MAN_OPTION.findall(tag))
    return sections


def completion_options(completion, names):
    script = f'source "{completion}"; for c in {" ".join(names)}; do echo "$c:$(_tramino_cli_options $c)"; done'
    result = {}
    for line in run(["bash", "-c", script]).splitlines():
        name, options = line.split(":", 1)
        result[name] = set(options.split())
    listed = re.search(r'local commands="([^"]*)"', open(completion, encoding="utf-8").read())
    return result, listed.group(1).split() if listed else []


def compare(what, expected, found, problems):
    for name in sorted(expected - found):
        problems.append(f"{what} lacks {name}")
    for name in sorted(found - expected):
        problems.append(f"{what} names {name}, which --help does not")


def format_warnings(pages):
    if shutil.which("groff") is None:
        return []
    problems = []
    for page in pages:
        result = subprocess.run(["groff", "-man", "-ww", "-z", "-Tutf8", page], capture_output=True, text=True)
        problems += [f"{page}: {line}" for line in result.stderr.splitlines()]
    return problems


def main():
    args = sys.argv[1:]
    window = []
    if "--window" in args:
        at = args.index("--window")
        window, args[at:at + 3] = args[at + 1:at + 3], []
    cli, completion, page = args[0:3]
    names = commands(cli)
    sections = man_sections(page)
    completed, completed_commands = completion_options(completion, names)
    problems = []
    compare("the manual page's OPTIONS", help_options(run([cli, "--help"])), sections.get("OPTIONS", set()), problems)
    compare("the completion's commands", set(names), set(completed_commands), problems)
    for name in names:
        options = help_options(run([cli, name, "--help"]))
        if name not in sections:
            problems.append(f"the manual page has no section for {name}")
            continue
        compare(f"the manual page's {name}", options, sections[name], problems)
        compare(f"the completion of {name}", options, completed[name], problems)
    if window:
        problems += window_problems(*window)
    problems += format_warnings([page] + args[3:])
    for problem in problems:
        print(f"check-docs: {problem}", file=sys.stderr)
    if problems:
        return 1
    print(f"check-docs: {len(names)} commands and their options agree with --help")
    return 0


if __name__ == "__main__":
    sys.exit(main())
