#!/usr/bin/env python3
"""The manual pages describe the programs as their --help does: velmora-cli's page has a section
for exactly the verbs the program lists, each naming the verb's options, and velmora-editor's
page names every option of its --help.
    manual_test.py <velmora-cli> <velmora-editor or -> <folder with the .1 pages>"""
import os
import re
import subprocess
import sys


def help_text(*command):
    # Only the texts are compared here; leaks are the other suites' business, and --help ends
    # the program from inside main().
    env = dict(os.environ, QT_QPA_PLATFORM="offscreen", ASAN_OPTIONS="detect_leaks=0")
    return subprocess.run(command, capture_output=True, text=True, check=True, env=env).stdout


def block(text, name):
    """The first words of the items of one block of a CLI11 help text."""
    words, inside = [], False
    for line in text.splitlines():
        if re.fullmatch(r"[A-Za-z]+:", line):
            inside = line == name + ":"
        elif inside and re.match(r"  \S", line):
            words.append(line.split()[0])
    return words


def cli_verbs(cli, path=()):
    """{verb words: option names} for every verb the program does something with."""
    text = help_text(cli, *path, "--help")
    subs = block(text, "Subcommands")
    if path and not subs:
        options = [n for item in block(text, "Options") for n in item.split(",")]
        return {" ".join(path): options}
    verbs = {}
    for sub in subs:
        verbs.update(cli_verbs(cli, (*path, sub)))
    return verbs


def plain(roff):
    return roff.replace("\\-", "-").replace("\\fB", "").replace("\\fR", "").replace("\\fI", "")


def sections(page):
    """{subsection title: its text} of a manual page."""
    found, title = {}, None
    for line in plain(page).splitlines():
        heading = re.fullmatch(r'\.S[SH] "?(.*?)"?', line)
        if heading:
            title = heading.group(1)
            found[title] = ""
        elif title is not None:
            found[title] += line + "\n"
    return found


def main():
    cli, editor, man_dir = sys.argv[1:4]
    failures = []
    with open(os.path.join(man_dir, "velmora-cli.1"), encoding="utf-8") as file:
        page = sections(file.read())
    verbs = cli_verbs(cli)
    verb_sections = {title for title in page if title not in re.findall(
        r"^\.SH (.*)$", plain(open(os.path.join(man_dir, "velmora-cli.1"),
                                   encoding="utf-8").read()), re.M)}
    for verb in sorted(set(verbs) - verb_sections):
        failures.append(f"velmora-cli.1 lacks the verb {verb}")
    for verb in sorted(verb_sections - set(verbs)):
        failures.append(f"velmora-cli.1 describes {verb}, which velmora-cli --help does not list")
    for verb, options in verbs.items():
        for option in options:
            if option not in ("-h", "--help", "--help-all") and option not in page.get(verb, ""):
                failures.append(f"velmora-cli.1 does not name {option} of {verb}")
    for option in block(help_text(cli, "--help"), "Options"):
        for name in option.split(","):
            if name not in page.get("OPTIONS", ""):
                failures.append(f"velmora-cli.1 does not name the option {name}")
    for needed in ("EXIT STATUS", "EXAMPLES", "FILES"):
        if needed not in page:
            failures.append(f"velmora-cli.1 has no {needed} section")

    if editor != "-":
        with open(os.path.join(man_dir, "velmora-editor.1"), encoding="utf-8") as file:
            editor_page = sections(file.read())
        names = re.findall(r"(?<![\w-])(--?[a-z][a-z-]*)", "\n".join(
            line.split("  ")[1] for line in help_text(editor, "--help").splitlines()
            if re.match(r"  -", line)))
        if not names:
            failures.append("velmora-editor --help lists no option")
        for name in names:
            if name not in editor_page.get("OPTIONS", ""):
                failures.append(f"velmora-editor.1 does not name the option {name}")

    for failure in failures:
        print("FAIL:", failure)
    print(f"{len(verbs)} verbs compared")
    return 1 if failures else 0


if __name__ == "__main__":
    sys.exit(main())
