#!/usr/bin/env python3
"""Per-test branch coverage: runs every test alone in a build made by tools/coverage.sh and
lists, per test, the product branches and lines that no other test reaches.

    tools/pertest_coverage.py run    [--build build/coverage] [--out per-test.json] [--only TEXT]
    tools/pertest_coverage.py unique [--out per-test.json] [--show]

A test that reaches nothing of its own (0 and 0) is worth only its assertions: where the
mutation results (tools/mutate.py tests) also show it killing no fault alone, it is the first
place to look for a test that restates others. A test of a rare case reaches branches of its
own and shows up here even when no sampled fault lands in them.
"""
import argparse
import collections
import json
import os
import re
import subprocess
from pathlib import Path

ROOT = Path(__file__).resolve().parent.parent


def tests_of(build, env):
    """(name, command, working folder) for every GoogleTest case and every Qt test function."""
    listing = subprocess.run(["ctest", "--test-dir", str(build), "-N"], capture_output=True,
                             text=True, check=True).stdout
    found = []
    for name in re.findall(r"Test +#\d+: (\S+)", listing):
        if not name.startswith("frontend."):
            found.append((name, ["ctest", "--test-dir", str(build), "-R", f"^{re.escape(name)}$"],
                          ROOT))
            continue
        program = next((p for p in build.rglob(name.split(".", 1)[1]) if p.is_file()), None)
        if program is None:
            continue
        functions = subprocess.run([str(program), "-functions"], capture_output=True, text=True,
                                   env=env, cwd=program.parent).stdout.split()
        for f in functions:
            f = f.rstrip("()")
            found.append((f"{name}:{f}", [str(program), f], program.parent))
    return found


def reached(build):
    """The product lines and branches the counters in `build` show as reached."""
    out = subprocess.run(
        ["gcovr", "--root", str(ROOT), "--filter", "a2l/", "--filter", "cfgconv/", "--filter",
         "frontend/", "--exclude", ".*_autogen/.*", "--exclude-unreachable-branches",
         "--exclude-throw-branches", "--object-directory", str(build), "--json", "-"],
        capture_output=True, text=True, cwd=ROOT, check=True).stdout
    lines, branches = [], []
    for f in json.loads(out)["files"]:
        for line in f["lines"]:
            where = f"{f['file']}:{line['line_number']}"
            if line["count"] > 0:
                lines.append(where)
            branches += [f"{where}:{i}" for i, b in enumerate(line.get("branches", []))
                         if b["count"] > 0]
    return lines, branches


def cmd_run(args):
    build = Path(args.build).resolve()
    env = dict(os.environ, QT_QPA_PLATFORM="offscreen")
    out = Path(args.out)
    data = json.loads(out.read_text()) if out.exists() else {}
    for name, command, cwd in tests_of(build, env):
        if name in data or (args.only and args.only not in name):
            continue
        for counters in build.rglob("*.gcda"):
            counters.unlink()
        rc = subprocess.run(command, capture_output=True, text=True, env=env, cwd=cwd).returncode
        lines, branches = reached(build)
        data[name] = {"rc": rc, "lines": lines, "branches": branches}
        out.write_text(json.dumps(data))
        print(f"{name}: exit {rc}, {len(lines)} lines, {len(branches)} branches", flush=True)


def cmd_unique(args):
    data = json.loads(Path(args.out).read_text())
    lines, branches = collections.Counter(), collections.Counter()
    for v in data.values():
        lines.update(set(v["lines"]))
        branches.update(set(v["branches"]))
    rows = []
    for name, v in data.items():
        own_b = sorted(b for b in set(v["branches"]) if branches[b] == 1)
        own_l = [x for x in set(v["lines"]) if lines[x] == 1]
        rows.append((len(own_b), len(own_l), name, v["rc"], own_b))
    print("own branches, own lines, test (exit status when not 0)")
    for nb, nl, name, rc, own in sorted(rows):
        failed = f"  exit {rc}" if rc else ""
        shown = "  " + " ".join(own[:8]) if args.show and own else ""
        print(f"{nb:5d} {nl:5d}  {name}{failed}{shown}")


def main():
    p = argparse.ArgumentParser(description=__doc__.splitlines()[0])
    sub = p.add_subparsers(dest="cmd", required=True)
    r = sub.add_parser("run")
    r.add_argument("--build", default="build/coverage")
    r.add_argument("--out", default="build/coverage/per-test.json")
    r.add_argument("--only", help="only the tests whose name holds this text")
    u = sub.add_parser("unique")
    u.add_argument("--out", default="build/coverage/per-test.json")
    u.add_argument("--show", action="store_true", help="list the first own branches too")
    args = p.parse_args()
    {"run": cmd_run, "unique": cmd_unique}[args.cmd](args)


if __name__ == "__main__":
    main()
