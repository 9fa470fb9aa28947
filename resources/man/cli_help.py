"""Reads velmora-cli's own help, verb by verb, into a tree the manual page is written from.

The help is CLI11's layout: a description line, a "Usage:" line, then "Positionals:",
"Options:" and "Subcommands:" blocks whose items start two columns in, with the description at a
fixed column (on the next line when the item's name is too long for it).
"""
import subprocess
from dataclasses import dataclass, field

COMMON_OPTIONS = ("-h,--help", "--help-all")


@dataclass
class Item:
    term: str
    text: str = ""


@dataclass
class Verb:
    path: list
    summary: str = ""
    usage: str = ""
    positionals: list = field(default_factory=list)
    options: list = field(default_factory=list)
    verbs: list = field(default_factory=list)


def run_help(program, path):
    result = subprocess.run([program, *path, "--help"], capture_output=True, text=True,
                            check=True)
    return result.stdout


def description_column(lines):
    for line in lines:
        at = line.find("Print this help message")
        if line.lstrip().startswith("-h,--help") and at > 0:
            return at
    raise ValueError("no -h,--help line in the help text")


def parse_blocks(text):
    lines = text.splitlines()
    column = description_column(lines)
    summary = lines[0].strip() if lines and not lines[0].startswith("Usage:") else ""
    usage = ""
    blocks = {}
    current = None
    for number, line in enumerate(lines):
        if line.startswith("Usage:"):
            usage = line[len("Usage:"):].strip()
            current = None
        elif line and not line[0].isspace() and line.rstrip().endswith(":"):
            current = blocks.setdefault(line.rstrip()[:-1], [])
        elif current is not None and line.startswith("  ") and len(line) > 2 \
                and not line[2].isspace():
            following = lines[number + 1] if number + 1 < len(lines) else ""
            # A name too long for its column is followed by its description on a line of its own.
            if following.startswith(" " * column):
                current.append(Item(line.strip()))
            else:
                current.append(Item(line[:column].strip(), line[column:].strip()))
        elif current and line.startswith(" " * column) and line.strip():
            current[-1].text = (current[-1].text + " " + line.strip()).strip()
    return summary, usage, blocks


def read_verb(program, path):
    summary, usage, blocks = parse_blocks(run_help(program, path))
    words = usage.split()
    if words:
        words[0] = "velmora-cli"
    verb = Verb(path=path, summary=summary, usage=" ".join(words))
    verb.positionals = blocks.get("Positionals", [])
    verb.options = [o for o in blocks.get("Options", []) if o.term.split()[0] not in COMMON_OPTIONS]
    for sub in blocks.get("Subcommands", []):
        verb.verbs.append(read_verb(program, path + [sub.term.split()[0]]))
    return verb


def read_tree(program):
    """The program itself (path []) with every verb below it."""
    root = read_verb(program, [])
    _, _, blocks = parse_blocks(run_help(program, []))
    root.options = blocks.get("Options", [])
    return root


def leaf_verbs(verb):
    """Every verb that does something, as its path of words, in the help's order."""
    if not verb.verbs:
        return [verb] if verb.path else []
    found = []
    for sub in verb.verbs:
        found.extend(leaf_verbs(sub))
    return found
