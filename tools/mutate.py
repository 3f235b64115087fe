#!/usr/bin/env python3
"""Mutation testing: plants one realistic fault at a time in the product code, rebuilds
incrementally, runs the tests that cover that code, and lists the faults no test caught.

    tools/mutate.py list    [--folders a2l cfgconv frontend]
    tools/mutate.py sample  --count 300 --seed 1 --out sample.json
    tools/mutate.py run     --sample sample.json --build build/mutate --out results.json \
                            [--stop-after 3600] [--resume] [--only results-before.json]
                            [--first 56] [--last 200]
    tools/mutate.py report  results.json [results-before.json]
    tools/mutate.py tests   results.json ...     (of runs with --every-failure)

`sample` draws mutants evenly across the folders (a2l/src, cfgconv/src, frontend/*) and stores
each by file, operator and the text of its line, so the same sample can be run again after the
code has changed (a mutant is found again by its line text; one whose line is gone is skipped).
`run` needs a configured build folder of the same tree (any build type; without sanitizers it
is much faster):

    cmake -S . -B build/mutate -DCMAKE_BUILD_TYPE=Debug -DQUILLMOOR_BENCH=OFF
    cmake --build build/mutate -j2

Each mutant is applied to the source file, the targets of the tests of the mutated folder are
rebuilt and ctest runs those tests (a2l and cfgconv: the engine and converter tests;
frontend: front-end tests but the manuals'), stopping at the first failure. The file is always restored. A
mutant that does not compile is not counted. A mutant is killed when a test fails or times out.
"""
import argparse
import json
import os
import random
import re
import subprocess
import sys
import time
from pathlib import Path

ROOT = Path(__file__).resolve().parent.parent

FOLDERS = {
    "a2l": ["a2l/src"],
    "cfgconv": ["cfgconv/src"],
    "frontend": ["frontend/app", "frontend/converter", "frontend/versions", "frontend/prefs"],
}
# ctest arguments selecting the tests that exercise each folder: the engine and converter
# tests (GoogleTest) for the converter's folders, the front-end's Qt tests for its own.
# The manuals' test is left out: it reads documents, and rebuilding them (screenshots of the
# window) for every front-end mutant would double the time of a run.
TESTS = {
    "a2l": ["-E", r"^frontend\."],
    "cfgconv": ["-E", r"^frontend\."],
    "frontend": ["-R", r"^frontend\.", "-E", r"tst_manual"],
}
# The build targets those tests need (front-end: one per test program, found by ctest -N).
# Every program those tests run is rebuilt, also one the mutated code is not part of: the
# engine's tests still hold the previous mutant when it was in the engine, and run with the
# converter's.
CONVERTER_TARGETS = ["a2l_tests", "cfgconv_core_tests", "cfgconv_app_tests", "QuillmoorConverter"]
TARGETS = {"a2l": CONVERTER_TARGETS, "cfgconv": CONVERTER_TARGETS}
SKIP_FILES = {"main.cpp"}

# Lines whose constants and calls only shape the look or the speed, not what the program does:
# layout geometry, object names, spacing and the texts of the window form (the catalogue test
# and the screenshots cover those), and capacity reservations. Shifting their numbers or
# deleting those calls yields mutants that only a test restating the form would reveal.
COSMETIC_ANYWHERE = re.compile(r"\b(reserve|shrink_to_fit)\(|^\s*enum\b")
COSMETIC_IN_FORM = re.compile(
    r"\b(setObjectName|setSpacing|setContentsMargins|setHorizontalStretch|setVerticalStretch|"
    r"setHeightForWidth|setSizePolicy|setPolicy|setMinimumSize|setMaximumSize|addWidget|"
    r"addLayout|addItem|setAlignment|setFont|setGeometry|resize|setStretch|QSpacerItem|"
    r"makeLayout|makeSubLayout|kSpacing|kMargins|setToolTip|setText|setTitle|setTabText|"
    r"setWindowTitle|translate)\b")
FORM_FILES = {"mainwindowform.cpp"}

# Operators: (name, regex, replacement function). Each match on a line is one mutant.
def _swap(table):
    return lambda m: table[m.group(0)]

OPERATORS = [
    # flip a comparison
    ("flip-comparison", re.compile(r"(?<![<>=!&|+\-*/%^])(==|!=|<=|>=)(?![=])"),
     _swap({"==": "!=", "!=": "==", "<=": ">", ">=": "<"})),
    ("flip-comparison", re.compile(r"(?<=[\w)\]] )(<|>)(?= [\w(!-])"),
     _swap({"<": ">=", ">": "<="})),
    # drop one operand of a compound condition
    ("drop-operand", re.compile(r" (&&|\|\|) "), None),
    # shift a constant by one
    ("shift-constant", re.compile(r"(?<![\w.\"'])(\d+)(?![\w.\"'xX])"), None),
    # swap the branches of an if (conditions that close on their own line)
    ("negate-if", re.compile(r"\bif \("), None),
    # a loop one element short
    ("loop-short", re.compile(r"(for \([^;]*; *)([\w.\->\[\]]+) < "), None),
    # a boolean result inverted
    ("flip-return", re.compile(r"\breturn (true|false);"),
     lambda m: "return " + ("false" if m.group(1) == "true" else "true") + ";"),
]
# delete a call statement (cleanup, error path, output): a line that is one call
DELETE_CALL = re.compile(r"^\s*(?:[\w:.\->]+::)?[\w.\->]+\([^;{}]*\);\s*$")


def strip_code(line):
    """The line with string literals and // comments blanked, so operators inside them are not
    mutated."""
    out, i, quote = [], 0, None
    while i < len(line):
        c = line[i]
        if quote:
            out.append(" ")
            if c == "\\":
                out.append(" ")
                i += 1
            elif c == quote:
                quote = None
        elif c in "\"'":
            quote = c
            out.append(" ")
        elif line.startswith("//", i):
            break
        else:
            out.append(c)
        i += 1
    return "".join(out)


def source_files(folders):
    for folder in folders:
        for sub in FOLDERS[folder]:
            for p in sorted((ROOT / sub).rglob("*")):
                if p.suffix in (".cpp", ".h", ".hpp") and p.name not in SKIP_FILES:
                    yield folder, p


def mutants_of_line(text, file_name=""):
    """(operator, mutated line) for every mutant of one source line."""
    out = _mutants_of_line(text)
    code = strip_code(text)
    cosmetic = COSMETIC_ANYWHERE.search(code) or (
        file_name in FORM_FILES and COSMETIC_IN_FORM.search(code))
    if cosmetic:
        out = [(op, new) for op, new in out if op not in ("shift-constant", "delete-call")]
    return out


def _mutants_of_line(text):
    code = strip_code(text)
    s = code.strip()
    if not s or s.startswith(("#", "*", "/*", "static_assert", "using ", "namespace ", "template")):
        return []
    out = []
    for name, rx, repl in OPERATORS:
        for m in rx.finditer(code):
            a, b = m.span()
            if name == "drop-operand":
                # keep the left or the right operand of the nearest enclosing condition
                out.append((name, text[:a] + " " + _drop_right(text, b).lstrip()))
                continue
            if name == "shift-constant":
                if "[" in code[:a] and "]" in code[b:] and "=" not in code:
                    continue  # array bounds of declarations
                new = str(int(m.group(1)) + 1)
                out.append((name, text[:a] + new + text[b:]))
                continue
            if name == "negate-if":
                close = _matching_paren(code, b - 1)
                if close is None:
                    continue
                out.append((name, text[:b] + "!(" + text[b:close] + ")" + text[close:]))
                continue
            if name == "loop-short":
                out.append((name, text[:m.start(2)] + m.group(2) + " + 1 < " + text[b:]))
                continue
            out.append((name, text[:a] + repl(m) + text[b:]))
    if DELETE_CALL.match(code) and not s.startswith(("return", "if", "while", "for", "case")):
        out.append(("delete-call", re.sub(r"\S.*", "(void)0;  // deleted", text, count=1)))
    return out


def _matching_paren(code, open_at):
    depth = 0
    for i in range(open_at, len(code)):
        if code[i] == "(":
            depth += 1
        elif code[i] == ")":
            depth -= 1
            if depth == 0:
                return i
    return None


def _drop_right(text, b):
    """Drops the operand right of a && or || up to the end of its parenthesised group."""
    depth, i = 0, b
    while i < len(text):
        c = text[i]
        if c == "(":
            depth += 1
        elif c == ")":
            if depth == 0:
                break
            depth -= 1
        elif depth == 0 and (text.startswith("&&", i) or text.startswith("||", i) or c in ";{,"):
            break
        i += 1
    return text[i:]


def all_mutants(folders):
    for folder, path in source_files(folders):
        lines = path.read_text(encoding="utf-8").split("\n")
        in_block_comment = False
        # Lines of other platforms (#ifdef _WIN32 up to its #else or #endif) are not built here.
        other_platform = 0
        for no, line in enumerate(lines, 1):
            s = line.strip()
            if s.startswith("#ifdef _WIN32") or s.startswith("#if defined(_WIN32)"):
                other_platform = 1
                continue
            if other_platform:
                if s.startswith("#if"):
                    other_platform += 1
                elif s.startswith("#endif") or (other_platform == 1 and s.startswith("#el")):
                    other_platform -= 1
                continue
            if in_block_comment:
                if "*/" in s:
                    in_block_comment = False
                continue
            if s.startswith("/*") and "*/" not in s:
                in_block_comment = True
                continue
            # A call deleted from the middle of a statement only breaks the build.
            before = strip_code(lines[no - 2]).rstrip() if no > 1 else ""
            starts_statement = before == "" or before.endswith((";", "{", "}", ":"))
            for k, (op, new) in enumerate(mutants_of_line(line, path.name)):
                if op == "delete-call" and not starts_statement:
                    continue
                yield {"folder": folder, "file": str(path.relative_to(ROOT)), "line": no,
                       "op": op, "index": k, "original": line, "mutated": new}


def locate(m):
    """Finds the mutant's line again in the current tree (by text, nearest the old line)."""
    path = ROOT / m["file"]
    if not path.exists():
        return None
    lines = path.read_text(encoding="utf-8").split("\n")
    hits = [i for i, l in enumerate(lines) if l == m["original"]]
    if not hits:
        return None
    i = min(hits, key=lambda h: abs(h + 1 - m["line"]))
    return path, lines, i


def sh(cmd, timeout, cwd):
    try:
        p = subprocess.run(cmd, cwd=cwd, stdout=subprocess.PIPE, stderr=subprocess.STDOUT,
                           timeout=timeout, text=True, errors="replace")
        return p.returncode, p.stdout
    except subprocess.TimeoutExpired:
        return None, "timeout"


_targets = {}


def build_targets(folder, build):
    """["--target", ...] for the tests of `folder`, or [] (everything) when unsure."""
    if folder not in _targets:
        _, out = sh(["cmake", "--build", str(build), "--target", "help"], 600, ROOT)
        known = set(re.findall(r"^\.\.\. (\S+)", out, re.M))
        wanted = TARGETS.get(folder)
        if wanted is None:
            _, listed = sh(["ctest", "--test-dir", str(build), "-N"] + TESTS[folder], 600, ROOT)
            wanted = re.findall(r"Test +#\d+: frontend\.(\S+)", listed)
        _targets[folder] = ["--target"] + wanted if wanted and set(wanted) <= known else []
    return _targets[folder]


def failed_functions(out, failed):
    """The failing tests of a ctest run with --output-on-failure, a Qt test program replaced by
    its failing functions ("frontend.tst_jobs:convertFails"): each program's output follows
    the line with its result."""
    named, current = {}, None
    for line in out.splitlines():
        m = re.search(r"Test +#\d+: (\S+) \.+", line)
        if m:
            current = m.group(1)
            continue
        f = re.match(r"FAIL! +: \w+::(\w+)\(", line)
        if f and current:
            named.setdefault(current, set()).add(f"{current}:{f.group(1)}")
    return [n for t in failed for n in (sorted(named[t]) if t in named else [t])]


def run_one(m, build, timeout, every=False):
    found = locate(m)
    if not found:
        return "gone", ""
    path, lines, i = found
    original = path.read_text(encoding="utf-8")
    mutated_lines = list(lines)
    mutated_lines[i] = m["mutated"]
    try:
        path.write_text("\n".join(mutated_lines), encoding="utf-8")
        rc, out = sh(["cmake", "--build", str(build), "-j2"] + build_targets(m["folder"], build),
                     1800, ROOT)
        if rc != 0:
            return "no-build", out[-2000:]
        # Every failure: all tests run, and a failing Qt test program is named by its failing
        # test functions (frontend.tst_jobs:convertFails), which Qt Test runs on past a failure.
        how = ["--output-on-failure"] if every else ["--stop-on-failure"]
        rc, out = sh(["ctest", "--test-dir", str(build), "-j2", "--timeout", str(timeout)] + how +
                     TESTS[m["folder"]], timeout * 20, ROOT)
        if rc is None:
            return "killed", "timeout"
        if rc != 0:
            failed = re.findall(r"\d+ - (\S+) \(", out)
            if not every:
                return "killed", " ".join(failed[:3])
            return "killed", " ".join(failed_functions(out, failed))
        if "No tests were found" in out:
            return "no-tests", ""
        return "survived", ""
    finally:
        path.write_text(original, encoding="utf-8")


def cmd_list(args):
    counts = {}
    for m in all_mutants(args.folders):
        counts[(m["folder"], m["op"].split(":")[0])] = counts.get((m["folder"], m["op"].split(":")[0]), 0) + 1
    for (folder, op), n in sorted(counts.items()):
        print(f"{folder:10} {op:16} {n}")
    print("total", sum(counts.values()))


def cmd_sample(args):
    rng = random.Random(args.seed)
    by_folder = {}
    for m in all_mutants(args.folders):
        by_folder.setdefault(m["folder"], []).append(m)
    per = args.count // len(by_folder)
    drawn = [rng.sample(pool, min(per, len(pool))) for _, pool in sorted(by_folder.items())]
    # Interleaved, so that a run stopped early has measured every folder alike.
    sample = [m for row in zip(*drawn) for m in row]
    Path(args.out).write_text(json.dumps(sample, indent=1), encoding="utf-8")
    print(f"{len(sample)} mutants sampled into {args.out}")


def cmd_run(args):
    sample = json.loads(Path(args.sample).read_text(encoding="utf-8"))
    if args.only:
        earlier = json.loads(Path(args.only).read_text(encoding="utf-8"))
        wanted = {_key(r) for r in earlier if r["status"] in ("killed", "survived")}
        sample = [m for m in sample if _key(m) in wanted]
    # Positions in the sample (1-based, inclusive), so a long run can be split into parts.
    first, last = args.first, args.last or len(sample)
    build = Path(args.build).resolve()
    results = []
    if Path(args.out).exists() and args.resume:
        results = json.loads(Path(args.out).read_text(encoding="utf-8"))
    done = {(r["file"], r["original"], r["op"], r["index"]) for r in results}
    t0 = time.time()
    for n, m in enumerate(sample, 1):
        key = (m["file"], m["original"], m["op"], m["index"])
        if key in done or not first <= n <= last:
            continue
        if args.stop_after and time.time() - t0 > args.stop_after:
            print(f"stopped after {args.stop_after} s; --resume goes on", flush=True)
            break
        status, detail = run_one(m, build, args.timeout, args.every_failure)
        r = dict(m, status=status, detail=detail)
        results.append(r)
        done.add(key)
        Path(args.out).write_text(json.dumps(results, indent=1), encoding="utf-8")
        print(f"[{n}/{len(sample)} {time.time() - t0:6.0f}s] {status:9} {m['file']}:{m['line']} "
              f"{m['op']}", flush=True)
    # leave the build folder matching the restored sources
    sh(["cmake", "--build", str(build), "-j2"], 1800, ROOT)
    report(results)


def _key(r):
    return (r["file"], r["original"], r["op"], r["index"])


def report(results, before=None):
    def score(rs):
        counted = [r for r in rs if r["status"] in ("killed", "survived")]
        killed = sum(r["status"] == "killed" for r in counted)
        return killed, len(counted)

    def line(name, rs):
        k, n = score(rs)
        return f"{name:20} killed {k:4} of {n:4}  ({100 * k / max(n, 1):.0f} %)"

    by_folder = {}
    for r in results:
        by_folder.setdefault(r["folder"], []).append(r)
        by_folder.setdefault(str(Path(r["file"]).parent), []).append(r)
    for folder, rs in sorted(by_folder.items()):
        print(line(folder, rs))
    print(line("all", results))
    skipped = sum(r["status"] in ("no-build", "gone", "no-tests") for r in results)
    print(f"not counted (did not compile, line gone, no tests): {skipped}")
    if before is not None:
        # The same mutants, counted in both runs.
        counted = {_key(r) for r in before if r["status"] in ("killed", "survived")}
        counted &= {_key(r) for r in results if r["status"] in ("killed", "survived")}
        print(f"\nover the {len(counted)} mutants counted in both runs:")
        for name, rs in (("before", before), ("after", results)):
            same = [r for r in rs if _key(r) in counted]
            for folder in sorted({r["folder"] for r in same}):
                print(f"  {name:6} " + line(folder, [r for r in same if r["folder"] == folder]))
            print(f"  {name:6} " + line("all", same))
    print("\nsurvivors:")
    for r in results:
        if r["status"] == "survived":
            print(f"  {r['file']}:{r['line']} {r['op']}\n    - {r['original'].strip()}\n"
                  f"    + {r['mutated'].strip()}")


def cmd_tests(args):
    """Per test: the mutants it kills, and those no other test kills. A test that kills no
    mutant alone adds nothing the others do not catch, over these samples."""
    kills, alone = {}, {}
    counted = 0
    for f in args.results:
        for r in json.loads(Path(f).read_text(encoding="utf-8")):
            if r["status"] != "killed" or r["detail"] == "timeout":
                continue
            counted += 1
            failed = r["detail"].split()
            for t in failed:
                kills.setdefault(t, []).append(r)
            if len(failed) == 1:
                alone.setdefault(failed[0], []).append(r)
    print(f"{counted} killed mutants; per test: killed, killed alone")
    for t in sorted(kills, key=lambda t: (len(alone.get(t, [])), len(kills[t]))):
        print(f"  {len(kills[t]):4} {len(alone.get(t, [])):4}  {t}")
        for r in alone.get(t, []):
            print(f"             {r['file']}:{r['line']} {r['op']}")
    # Tests that could all go at once and leave every mutant killed: taken greedily, those
    # that kill least first.
    killers = {id(r): set() for rs in kills.values() for r in rs}
    for t, rs in kills.items():
        for r in rs:
            killers[id(r)].add(t)
    spare = []
    for t in sorted(kills, key=lambda t: len(kills[t])):
        if all(len(killers[id(r)] - {t}) > 0 for r in kills[t]):
            spare.append(t)
            for r in kills[t]:
                killers[id(r)].discard(t)
    print("could all go, every mutant above still killed:", " ".join(spare) or "none")


def main():
    ap = argparse.ArgumentParser(description=__doc__, formatter_class=argparse.RawDescriptionHelpFormatter)
    sub = ap.add_subparsers(dest="cmd", required=True)
    p = sub.add_parser("list")
    p.add_argument("--folders", nargs="+", default=list(FOLDERS))
    p = sub.add_parser("sample")
    p.add_argument("--folders", nargs="+", default=list(FOLDERS))
    p.add_argument("--count", type=int, default=300)
    p.add_argument("--seed", type=int, default=1)
    p.add_argument("--out", required=True)
    p = sub.add_parser("run")
    p.add_argument("--sample", required=True)
    p.add_argument("--build", required=True)
    p.add_argument("--out", required=True)
    p.add_argument("--timeout", type=int, default=120, help="seconds per test")
    p.add_argument("--resume", action="store_true", help="skip mutants already in --out")
    p.add_argument("--stop-after", type=int, default=0, help="start no mutant after so many seconds")
    p.add_argument("--only", help="results of an earlier run: run just the mutants it counted")
    p.add_argument("--first", type=int, default=1, help="first sample position to run (1-based)")
    p.add_argument("--last", type=int, default=0, help="last sample position to run")
    p.add_argument("--every-failure", action="store_true",
                   help="run all tests of a mutant and record every failing one (for `tests`)")
    p = sub.add_parser("tests")
    p.add_argument("results", nargs="+")
    p = sub.add_parser("report")
    p.add_argument("results")
    p.add_argument("before", nargs="?")
    args = ap.parse_args()
    if args.cmd == "list":
        cmd_list(args)
    elif args.cmd == "sample":
        cmd_sample(args)
    elif args.cmd == "run":
        cmd_run(args)
    elif args.cmd == "tests":
        cmd_tests(args)
    else:
        before = json.loads(Path(args.before).read_text()) if args.before else None
        report(json.loads(Path(args.results).read_text()), before)


if __name__ == "__main__":
    sys.exit(main())
