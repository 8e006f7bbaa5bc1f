#!/usr/bin/env python3
"""Plants faults one at a time in the display logic and reports which ones the native tests catch.

Called by scripts/mutants.sh, which says how. Each mutant is one small change of one line: a
comparison's bound (< and <=, > and >=, == and !=), && and ||, a dropped operand of && or ||, a
dropped if or !, true and false, an index +1 or -1, an integer constant +1 or -1, a dropped statement.
The source is copied into the build folder first and mutated there, so the work tree is never
touched, also when the run is stopped half-way.
"""

import argparse
import os
import re
import shutil
import subprocess
import sys

ROOT = os.path.dirname(os.path.dirname(os.path.abspath(__file__)))

# Statements whose removal leaves nothing to test or no program to build.
NOT_DROPPED = re.compile(
    r"^(return\b|using\b|namespace\b|case\b|default\b|static_assert\b|typedef\b|template\b|"
    r"struct\b|class\b|enum\b|friend\b|public:|private:|protected:|[A-Z_]+\()")
DECLARATION = re.compile(
    r"^(const|constexpr|static|inline|extern|unsigned|signed|auto|bool|char|int|long|short|"
    r"float|double|void|size_t|u?int\d+_t|std::)\b")
INTEGER = re.compile(r"(?<![\w.])(0[xX][0-9a-fA-F]+|\d+)([uUlL]*)(?![\w.])")


def code_mask(line, in_comment):
    """The line with comments, strings and character literals blanked out (so no operator inside
    them is mutated), and whether a block comment goes on past its end."""
    out = []
    i = 0
    quote = None
    while i < len(line):
        c = line[i]
        if in_comment:
            if line.startswith("*/", i):
                in_comment = False
                out.append("  ")
                i += 2
                continue
            out.append(" ")
        elif quote:
            if c == "\\":
                out.append("  ")
                i += 2
                continue
            out.append(quote if c == quote else " ")
            if c == quote:
                quote = None
        elif line.startswith("//", i):
            out.append(" " * (len(line) - i))
            break
        elif line.startswith("/*", i):
            in_comment = True
            out.append("  ")
            i += 2
            continue
        elif c in "\"'" and not (c == "'" and i > 0 and line[i - 1].isalnum()):
            quote = c
            out.append(c)
        else:
            out.append(c)
        i += 1
    return "".join(out)[: len(line)], in_comment


def operand_end(code, start):
    """Where the operand that starts at `start` ends: before the next && or || or the closing
    bracket, comma, ? or ; at its own depth."""
    depth = 0
    i = start
    while i < len(code):
        c = code[i]
        if c in "([{":
            depth += 1
        elif c in ")]}":
            if depth == 0:
                return i
            depth -= 1
        elif depth == 0 and (code.startswith(" && ", i) or code.startswith(" || ", i) or c in ",;?"):
            return i
        i += 1
    return None


def bracket_end(code, start):
    depth = 0
    for i in range(start, len(code)):
        if code[i] == "[":
            depth += 1
        elif code[i] == "]":
            depth -= 1
            if depth == 0:
                return i
    return None


def mutants_of(line, code):
    """Every mutant of one line: (what, the mutated line)."""
    found = []

    def swap(at, length, new, what):
        found.append((what, line[:at] + new + line[at + length:]))

    for match in re.finditer(r" (<=|>=|==|!=|<|>) ", code):
        op = match.group(1)
        other = {"<": "<=", "<=": "<", ">": ">=", ">=": ">", "==": "!=", "!=": "=="}[op]
        swap(match.start(1), len(op), other, f"{op} -> {other}")
    for match in re.finditer(r" (&&|\|\|) ", code):
        op = match.group(1)
        other = "||" if op == "&&" else "&&"
        swap(match.start(1), 2, other, f"{op} -> {other}")
        end = operand_end(code, match.end())
        if end is not None:
            swap(match.start(), end - match.start(), "", f"dropped '{op} {line[match.end():end]}'")
    for match in re.finditer(r"(?<![!=<>])!(?!=)", code):
        swap(match.start(), 1, "", "dropped !")
    for match in re.finditer(r"\b(true|false)\b", code):
        other = "false" if match.group(1) == "true" else "true"
        swap(match.start(), len(match.group(1)), other, f"{match.group(1)} -> {other}")
    for match in re.finditer(r"[\w)\]]\[", code):
        start = match.end() - 1
        end = bracket_end(code, start)
        inside = line[start + 1:end] if end is not None else ""
        if not inside.strip() or re.fullmatch(r"\s*(\d+|k\w+|[A-Z_]+)\s*", inside):
            continue
        for sign in ("+", "-"):
            swap(start + 1, end - start - 1, f"{inside} {sign} 1", f"index {sign}1")
    guarded = re.match(r"^(\s*)if \((.*)\) (\S.*;)\s*$", code)
    if guarded and operand_end(code, len(guarded.group(1)) + 4) == len(guarded.group(1)) + 4 + len(guarded.group(2)):
        found.append(("dropped condition", guarded.group(1) + line[guarded.start(3):]))
    stripped = code.strip()
    if not stripped.startswith("#"):
        for match in INTEGER.finditer(code):
            text, suffix = match.group(1), match.group(2)
            value = int(text, 0)
            for new in (value + 1, value - 1):
                if new < 0:
                    continue
                spelt = hex(new) if text.lower().startswith("0x") else str(new)
                swap(match.start(), len(match.group(0)), spelt + suffix, f"{text} -> {spelt}")
    if stripped.endswith(";") and not NOT_DROPPED.match(stripped) and not DECLARATION.match(stripped):
        found.append(("dropped statement", re.sub(r"\S.*$", ";", line)))
    return found


def changed_lines(path, base):
    """The line numbers (1-based) that `base`..the work tree added or changed in `path`; all lines
    without a base."""
    if not base:
        return None
    diff = subprocess.run(["git", "-C", ROOT, "diff", "-U0", base, "--", path],
                          capture_output=True, text=True, check=True).stdout
    lines = set()
    for match in re.finditer(r"^@@ -\S+ \+(\d+)(?:,(\d+))? @@", diff, re.M):
        first, count = int(match.group(1)), int(match.group(2) or "1")
        lines.update(range(first, first + count))
    return lines


def load_equivalent(path):
    """Mutants a person judged to behave as the original: 'file | original | mutated  # why'."""
    known = set()
    if path and os.path.exists(path):
        with open(path, encoding="utf-8") as f:
            for raw in f:
                entry = raw.split("  # ", 1)[0].strip()
                if entry and not entry.startswith("#"):
                    parts = [p.strip() for p in entry.split(" | ")]
                    if len(parts) == 3:
                        known.add(tuple(parts))
    return known


def main():
    parser = argparse.ArgumentParser()
    parser.add_argument("files", nargs="+")
    parser.add_argument("--base", help="mutate only the lines changed since this commit")
    parser.add_argument("--build", default=os.path.join(ROOT, "build", "mutants"))
    parser.add_argument("--equivalent", default=os.path.join(ROOT, "scripts", "mutants.equivalent"))
    parser.add_argument("--list", action="store_true", help="print the mutants, build nothing")
    parser.add_argument("--timeout", type=int, default=120)
    args = parser.parse_args()

    source = os.path.join(args.build, "src")
    binary = os.path.join(args.build, "out")
    equivalent = load_equivalent(args.equivalent)
    plan = []
    for rel in args.files:
        with open(os.path.join(ROOT, rel), encoding="utf-8") as f:
            lines = f.read().split("\n")
        wanted = changed_lines(rel, args.base)
        in_comment = False
        for number, line in enumerate(lines, 1):
            code, in_comment = code_mask(line, in_comment)
            if wanted is not None and number not in wanted:
                continue
            for what, mutated in mutants_of(line, code):
                key = (rel, line.strip(), mutated.strip())
                plan.append((rel, number, what, line, mutated, key in equivalent))
    if args.list:
        for rel, number, what, line, mutated, same in plan:
            print(f"{rel}:{number}: {what}{'  (equivalent)' if same else ''}\n  - {line.strip()}\n  + {mutated.strip()}")
        print(f"{len(plan)} mutants")
        return 0

    shutil.rmtree(source, ignore_errors=True)
    tracked = subprocess.run(["git", "-C", ROOT, "ls-files", "-co", "--exclude-standard"],
                             capture_output=True, text=True, check=True).stdout.split("\n")
    for rel in filter(None, tracked):
        if rel.startswith(("build/", "docs/")) or not os.path.isfile(os.path.join(ROOT, rel)):
            continue
        os.makedirs(os.path.dirname(os.path.join(source, rel)) or source, exist_ok=True)
        shutil.copy2(os.path.join(ROOT, rel), os.path.join(source, rel))
    subprocess.run(["cmake", "-S", source, "-B", binary, "-DCMAKE_BUILD_TYPE=Debug"],
                   check=True, stdout=subprocess.DEVNULL)
    build = ["cmake", "--build", binary, "--target", "display_tests", f"-j{os.cpu_count() or 2}"]
    subprocess.run(build, check=True, stdout=subprocess.DEVNULL)
    tests = os.path.join(binary, "cmake", "native", "display_tests")

    originals = {}
    caught = survived = unbuilt = skipped = 0
    survivors = []
    for index, (rel, number, what, line, mutated, same) in enumerate(plan, 1):
        label = f"[{index}/{len(plan)}] {rel}:{number}: {what}"
        if same:
            skipped += 1
            print(f"{label}: equivalent, skipped", flush=True)
            continue
        path = os.path.join(source, rel)
        if rel not in originals:
            with open(path, encoding="utf-8") as f:
                originals[rel] = f.read().split("\n")
        for other, text in originals.items():
            if other != rel:
                with open(os.path.join(source, other), "w", encoding="utf-8") as f:
                    f.write("\n".join(text))
        lines = list(originals[rel])
        lines[number - 1] = mutated
        with open(path, "w", encoding="utf-8") as f:
            f.write("\n".join(lines))
        if subprocess.run(build, stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL).returncode:
            unbuilt += 1
            print(f"{label}: does not build", flush=True)
            continue
        env = dict(os.environ, GTEST_FAIL_FAST="1", GTEST_BRIEF="1")
        try:
            run = subprocess.run([tests], env=env, stdout=subprocess.DEVNULL,
                                 stderr=subprocess.DEVNULL, timeout=args.timeout)
            failed = run.returncode != 0
        except subprocess.TimeoutExpired:
            failed = True
        if failed:
            caught += 1
            print(f"{label}: caught", flush=True)
        else:
            survived += 1
            survivors.append((rel, number, what, line, mutated))
            print(f"{label}: SURVIVED", flush=True)
    for rel, text in originals.items():
        with open(os.path.join(source, rel), "w", encoding="utf-8") as f:
            f.write("\n".join(text))

    print()
    for rel, number, what, line, mutated in survivors:
        print(f"survived {rel}:{number}: {what}\n  - {line.strip()}\n  + {mutated.strip()}")
    total = caught + survived
    share = f"{100 * caught / total:.0f} %" if total else "n/a"
    print(f"\nmutants: {caught} caught of {total} ({share}); {unbuilt} did not build; "
          f"{skipped} equivalent, skipped")
    return 0


if __name__ == "__main__":
    sys.exit(main())
