#!/usr/bin/env python3
"""Writes the manual page of velmora-cli from the program's own help, so the page lists exactly
the verbs and options the program has.
    make_cli_manpage.py <velmora-cli> <sections file> <output .1 file>
The sections file holds the hand-written parts in roff: "[NAME]" style headers, each followed by
its text; [DESCRIPTION] goes before the options and verbs, the others after them."""
import re
import sys

from cli_help import leaf_verbs, read_tree


def roff(text):
    text = text.replace("\\", "\\e").replace("-", "\\-")
    return re.sub(r"^([.'])", r"\\&\1", text)


def term(item_term):
    """An option or positional's name in bold, the rest of its term (type, limits) plain."""
    name, _, rest = item_term.partition(" ")
    names = ", ".join(f"\\fB{roff(n)}\\fR" for n in name.split(","))
    return f"{names} {roff(rest)}".rstrip()


def read_sections(path):
    sections, current = {}, None
    with open(path, encoding="utf-8") as file:
        for line in file:
            header = re.fullmatch(r"\[([A-Z ]+)\]\n?", line)
            if header:
                current = sections.setdefault(header.group(1), [])
            elif current is not None:
                current.append(line.rstrip("\n"))
    return {name: "\n".join(lines).strip("\n") for name, lines in sections.items()}


def items(out, block_items):
    for item in block_items:
        out.append(".TP")
        out.append(term(item.term))
        out.append(roff(item.text) if item.text else "\\&")


def main():
    program, sections_path, output = sys.argv[1:4]
    tree = read_tree(program)
    sections = read_sections(sections_path)
    out = ['.TH VELMORA\\-CLI 1 "" "velmora\\-cli 4.0" "User Commands"', ".SH NAME",
           sections.pop("NAME"), ".SH SYNOPSIS",
           ".B velmora\\-cli\n.I VERB\n.RI [ OPTIONS ]\n.IR ARGUMENTS ...", ".br",
           ".B velmora\\-cli\n.BR \\-\\-help \" | \" \\-\\-help\\-all \" | \" \\-\\-version",
           ".SH DESCRIPTION", sections.pop("DESCRIPTION"), ".SH OPTIONS",
           "Every verb also takes \\fB\\-h\\fR, \\fB\\-\\-help\\fR and \\fB\\-\\-help\\-all\\fR."]
    items(out, tree.options)
    out.append(".SH VERBS")
    for verb in leaf_verbs(tree):
        out.append(f'.SS "{roff(" ".join(verb.path))}"')
        out.append(f"\\fB{roff(' '.join(['velmora-cli'] + verb.path))}\\fR "
                   + roff(verb.usage.split(" ", len(verb.path) + 1)[-1]))
        if verb.summary:
            out.append(".PP")
            out.append(roff(verb.summary[:1].upper() + verb.summary[1:].rstrip(".")) + ".")
        if verb.positionals or verb.options:
            out.append(".RS")
            items(out, verb.positionals + verb.options)
            out.append(".RE")
    for name, text in sections.items():
        out.append(f".SH {name}")
        out.append(text)
    with open(output, "w", encoding="utf-8") as file:
        file.write("\n".join(out) + "\n")


if __name__ == "__main__":
    main()
