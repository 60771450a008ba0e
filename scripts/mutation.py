#!/usr/bin/env python3
"""Mutation sampler: plants one small fault at a time in a private copy of the
sources, rebuilds it incrementally and runs the test suite, to tell which
faults the tests catch.

    mutation.py [count] [seed]          sample until COUNT mutants compile
    mutation.py --replay RESULTS        run the mutants of an earlier run again
    mutation.py --report RESULTS        which test files kill which mutants

Everything happens under --work (default build-mutation/): a copy of the
tracked files and its build folders. The working tree is only read.
"""

import argparse
import os
import random
import re
import shutil
import signal
import subprocess
import sys
import tempfile
import time
from concurrent.futures import ThreadPoolExecutor
from pathlib import Path

ROOT = Path(__file__).resolve().parent.parent

# Binary operators are spaced by clang-format, so " < " is a comparison and
# never a template bracket.
SWAPS = [
    (" <= ", " < "), (" >= ", " > "), (" < ", " <= "), (" > ", " >= "),
    (" == ", " != "), (" != ", " == "), (" && ", " || "), (" || ", " && "),
    (" + ", " - "), (" - ", " + "), ("true", "false"), ("false", "true"),
]
INT_RE = re.compile(r"(?<![\w.])(\d+)(?![\w.'])")
NOT_RE = re.compile(r"(?<![\w)\]!])!(?=[\w(*])")
WORD_RE = re.compile(r"\b(true|false)\b")


def mask_line(line, in_block):
    """The line with comments, strings and character literals blanked, so
    that no mutant lands inside them; and whether a block comment is open at
    its end."""
    out = []
    i = 0
    n = len(line)
    while i < n:
        if in_block:
            end = line.find("*/", i)
            if end < 0:
                out.append(" " * (n - i))
                return "".join(out), True
            out.append(" " * (end + 2 - i))
            i = end + 2
            in_block = False
            continue
        c = line[i]
        if line.startswith("//", i):
            out.append(" " * (n - i))
            break
        if line.startswith("/*", i):
            in_block = True
            continue
        if line.startswith('R"', i):
            # Raw strings span lines rarely here; blank the rest to be safe.
            out.append(" " * (n - i))
            break
        if c in "\"'":
            j = i + 1
            while j < n and line[j] != c:
                j += 2 if line[j] == "\\" else 1
            out.append(" " * (min(j, n - 1) + 1 - i))
            i = j + 1
            continue
        out.append(c)
        i += 1
    return "".join(out), in_block


def sites(path):
    """Every place in one source file where an operator can be planted:
    (line number, column, original text, replacement)."""
    found = []
    in_block = False
    for number, line in enumerate(path.read_text(errors="replace").splitlines(), 1):
        masked, in_block = mask_line(line, in_block)
        stripped = masked.strip()
        if not stripped or stripped.startswith("#") or "static_assert" in masked:
            continue
        if stripped.startswith(("Q_OBJECT", "template", "namespace", "using ")):
            continue
        for old, new in SWAPS:
            if old.strip() in ("true", "false"):
                for m in WORD_RE.finditer(masked):
                    if m.group(1) == old:
                        found.append((number, m.start(), old, new))
                continue
            start = 0
            while (col := masked.find(old, start)) >= 0:
                found.append((number, col, old, new))
                start = col + 1
        for m in INT_RE.finditer(masked):
            value = int(m.group(1)) if len(m.group(1)) < 12 else None
            if value is None or (masked[:m.start()].rstrip().endswith("[") and value > 64):
                continue
            found.append((number, m.start(), m.group(1), str(value + 1)))
        for m in NOT_RE.finditer(masked):
            found.append((number, m.start(), "!", ""))
    return found


def snapshot(work, rev):
    """The sources the mutants are planted in: the tracked files as the
    working tree has them now, or as commit REV has them."""
    dest = work / "source"
    if dest.exists():
        shutil.rmtree(dest)
    dest.mkdir(parents=True)
    if rev:
        archive = subprocess.run(["git", "-C", str(ROOT), "archive", rev], check=True,
                                 capture_output=True).stdout
        subprocess.run(["tar", "-x", "-C", str(dest)], input=archive, check=True)
        return dest
    files = subprocess.run(["git", "-C", str(ROOT), "ls-files"], check=True,
                           capture_output=True, text=True).stdout.split("\n")
    for rel in filter(None, files):
        if (ROOT / rel).is_file():
            (dest / rel).parent.mkdir(parents=True, exist_ok=True)
            shutil.copy2(ROOT / rel, dest / rel)
    return dest


def product_files(source):
    return sorted(str(p.relative_to(source)) for p in (source / "src").rglob("*")
                  if p.suffix in (".cpp", ".h"))


def sample(source, seed):
    """All candidate mutants in a seeded random order; the caller stops once
    enough of them compile."""
    every = []
    for rel in product_files(source):
        for number, col, old, new in sites(source / rel):
            every.append((rel, number, col, old, new))
    rng = random.Random(seed)
    rng.shuffle(every)
    return every


def apply(text, number, col, old, new):
    lines = text.split("\n")
    line = lines[number - 1]
    if line[col:col + len(old)] != old:
        raise ValueError("the line changed since the mutant was chosen")
    lines[number - 1] = line[:col] + new + line[col + len(old):]
    return "\n".join(lines), line.strip(), lines[number - 1].strip()


class Worker:
    """One private copy of the tree with its own build folder and scratch
    folders, so that two workers' tests never meet."""

    def __init__(self, work, index, jobs):
        self.tree = work / f"tree{index}"
        self.build = work / f"build{index}"
        self.tmp = work / f"tmp{index}"
        self.jobs = jobs
        self.log = work / f"worker{index}.log"
        self.exclude = []  # tests that fail without any mutant
        self.stop_early = False

    def env(self):
        env = dict(os.environ)
        env["QT_QPA_PLATFORM"] = "offscreen"
        env["TMPDIR"] = str(self.tmp)
        env["CCACHE_BASEDIR"] = str(self.tree.parent)
        env["CCACHE_NOHASHDIR"] = "1"
        return env

    def run(self, cmd, timeout):
        with open(self.log, "a") as log:
            log.write(f"$ {' '.join(cmd)}\n")
            log.flush()
            proc = subprocess.Popen(cmd, stdout=log, stderr=subprocess.STDOUT, env=self.env(),
                                    start_new_session=True)
            try:
                return proc.wait(timeout=timeout)
            except subprocess.TimeoutExpired:
                os.killpg(proc.pid, signal.SIGKILL)
                proc.wait()
                return None

    def prepare(self, source):
        self.tmp.mkdir(parents=True, exist_ok=True)
        for src in source.rglob("*"):
            rel = src.relative_to(source)
            dst = self.tree / rel
            if not src.is_file():
                continue
            if dst.exists() and dst.read_bytes() == src.read_bytes():
                shutil.copymode(src, dst)
                continue
            dst.parent.mkdir(parents=True, exist_ok=True)
            # A fresh time stamp, so that the build sees the change.
            shutil.copyfile(src, dst)
            shutil.copymode(src, dst)
        if self.tree.exists():
            for old in [p for p in self.tree.rglob("*") if ".node-tools" not in p.parts]:
                if old.is_file() and not old.is_symlink() and not (source / old.relative_to(self.tree)).exists():
                    old.unlink()
        # The tools the tests run that live beside the sources (the glTF validator).
        tools = self.tree / ".node-tools"
        if (ROOT / ".node-tools").is_dir() and not tools.exists():
            tools.symlink_to(ROOT / ".node-tools")
        cmd = ["cmake", "-S", str(self.tree), "-B", str(self.build), "-G", "Ninja",
               "-DCMAKE_BUILD_TYPE=Release", "-DCMAKE_CXX_FLAGS_RELEASE=-O1",
               "-DWHIRLIGONS_BUILD_BENCHMARKS=OFF"]
        if shutil.which("ccache"):
            cmd.append("-DCMAKE_CXX_COMPILER_LAUNCHER=ccache")
        if self.run(cmd, 600) != 0 or self.run(["cmake", "--build", str(self.build)], 3600) != 0:
            sys.exit(f"mutation: the unmutated tree does not build; see {self.log}")

    def test(self, timeout, only=()):
        """Names of the failing tests, or None when the suite timed out."""
        for f in (self.build / "Testing" / "Temporary").glob("LastTestsFailed*.log"):
            f.unlink()
        cmd = ["ctest", "--test-dir", str(self.build), "--timeout", "120",
               "--parallel", str(self.jobs)]
        if self.stop_early:
            cmd.append("--stop-on-failure")
        if only:
            cmd += ["-R", "^(" + "|".join(re.escape(t) for t in only) + ")$"]
        if self.exclude:
            cmd += ["-E", "^(" + "|".join(re.escape(t) for t in self.exclude) + ")$"]
        status = self.run(cmd, timeout)
        if status is None:
            return None
        failed = []
        for f in (self.build / "Testing" / "Temporary").glob("LastTestsFailed*.log"):
            for line in f.read_text().splitlines():
                if ":" in line:
                    failed.append(line.split(":", 1)[1])
        return sorted(set(failed))

    def try_mutant(self, mutant, first=(), seen=None):
        """first: tests that killed this mutant before, tried before the
        rest; seen: the line as it was then, to find it again if lines moved."""
        rel, number, col, old, new = mutant
        path = self.tree / rel
        original = path.read_text()
        if seen:
            number = find_line(original, number, seen)
        try:
            mutated, before, after = apply(original, number, col, old, new)
        except ValueError:
            return "stale", ("?", "?"), []
        try:
            path.write_text(mutated)
            failed = []
            if first:
                # Only the programs the earlier killers are in: most mutants
                # die there, and the rest of the build is not needed for it.
                targets = sorted({program_of(t) for t in first} | {"whirligons"})
                built = self.run(["cmake", "--build", str(self.build), "--target", *targets], 900)
                if built != 0:
                    return "not-compiling", (before, after), []
                failed = self.test(600, only=first)
            if not failed:
                built = self.run(["cmake", "--build", str(self.build)], 900)
                if built != 0:
                    return "not-compiling", (before, after), []
                failed = self.test(1200)
            if failed is None:
                return "killed", (before, after), ["(suite timed out)"]
            if failed:
                # Only faults seen twice count: a slow machine can fail a
                # desktop test once without any mutant.
                again = self.run(["ctest", "--test-dir", str(self.build), "--timeout", "120",
                                  "--rerun-failed"], 1200)
                if again == 0:
                    return "survived", (before, after), ["(flaky: " + ",".join(failed) + ")"]
                return "killed", (before, after), failed
            return "survived", (before, after), []
        finally:
            path.write_text(original)


def program_of(test):
    """The program a ctest test runs."""
    if test.startswith("desktop_qtest"):
        return "desktop_qtest"
    if test == "cli_docs":
        return "whirligons"
    if "." not in test and test.endswith("_qtest"):
        return test
    return "whirligons_tests"


def find_line(text, number, seen):
    """The number of the line that reads 'seen', nearest to where it was."""
    lines = [l.strip() for l in text.split("\n")]
    if 0 < number <= len(lines) and lines[number - 1] == seen:
        return number
    hits = [i + 1 for i, l in enumerate(lines) if l == seen]
    return min(hits, key=lambda n: abs(n - number)) if hits else number


def fmt(mutant):
    rel, number, col, old, new = mutant
    return f"{rel}\t{number}\t{col}\t{old.strip() or old}\t{new.strip() or new}"


def parse_results(path):
    rows = []
    for line in Path(path).read_text().splitlines():
        if not line or line.startswith("#"):
            continue
        f = line.split("\t")
        status, rel, number, col, old, new = f[0], f[1], int(f[2]), int(f[3]), f[4], f[5]
        failed = f[8].split(",") if len(f) > 8 and f[8] else []
        failed = [t for t in failed if not t.startswith("(")]
        rows.append((status, (rel, number, col, restore(old), restore(new)), failed, f[6]))
    return rows


def restore(token):
    """The stored token with the spaces that mark a binary operator."""
    for old, new in SWAPS:
        if token in (old.strip(), new.strip()) and token not in ("true", "false"):
            return f" {token} "
    return token


def test_files(tests_root):
    """Test name (as ctest lists it) -> the file that defines it."""
    owner = {}
    for path in sorted(tests_root.rglob("*.cpp")):
        rel = "tests/" + str(path.relative_to(tests_root))
        if "/qt/" in rel or "/desktop/" in rel:
            owner[path.stem] = rel
        for m in re.finditer(r"\bTEST(?:_F|_P)?\(\s*(\w+)\s*,\s*(\w+)", path.read_text()):
            owner[f"{m.group(1)}.{m.group(2)}"] = rel
            owner.setdefault(m.group(1) + ".*", rel)
    owner["desktop_qtest_hidpi"] = owner.get("desktop_qtest", "tests/desktop/desktop_qtest.cpp")
    owner["cli_docs"] = "tests/package/check-cli-docs.sh"
    return owner


def owner_of(name, owner):
    if name in owner:
        return owner[name]
    base = name.split("/")[-1]
    suite = base.split(".")[0]
    # Parameterised tests: Prefix/Suite.Name/3
    for key in (base, base.rsplit("/", 1)[0], suite + ".*"):
        if key in owner:
            return owner[key]
    parts = name.split("/")
    if len(parts) > 1 and parts[1].split(".")[0] + ".*" in owner:
        return owner[parts[1].split(".")[0] + ".*"]
    return "?" + name


def summary(rows):
    counts = {}
    for status, _, _, _ in rows:
        counts[status] = counts.get(status, 0) + 1
    killed, survived = counts.get("killed", 0), counts.get("survived", 0)
    total = killed + survived
    print(f"killed {killed}, survived {survived}, not compiling {counts.get('not-compiling', 0)}: "
          f"kill rate {100.0 * killed / total if total else 0:.1f}% of {total} compiling mutants")
    print("survivors:")
    for status, m, _, _ in rows:
        if status == "survived":
            print(f"  {m[0]}:{m[1]}  {m[3].strip()} -> {m[4].strip() or '(dropped)'}")


def tests_of(path):
    """The tests the run used: those of the commit it names, else today's."""
    header = Path(path).read_text().split("\n", 1)[0]
    m = re.search(r", rev (\S+)", header)
    if not m:
        return ROOT / "tests"
    dest = Path(tempfile.mkdtemp(prefix="mutation-tests-"))
    archive = subprocess.run(["git", "-C", str(ROOT), "archive", m.group(1), "tests"], check=True,
                             capture_output=True).stdout
    subprocess.run(["tar", "-x", "-C", str(dest)], input=archive, check=True)
    return dest / "tests"


def report(path):
    rows = parse_results(path)
    summary(rows)
    print()
    tests = tests_of(path)
    owner = test_files(tests)
    alone = {}
    kills = {}
    for status, mutant, failed, _ in rows:
        if status != "killed":
            continue
        files = sorted({owner_of(t, owner) for t in failed})
        for f in files:
            kills[f] = kills.get(f, 0) + 1
        if len(files) == 1:
            alone.setdefault(files[0], []).append(mutant)
    every = sorted(set(owner.values()))
    print("test file\tkills\tkills alone")
    for f in sorted(set(every) | set(kills), key=lambda f: (-len(alone.get(f, [])), f)):
        print(f"{f}\t{kills.get(f, 0)}\t{len(alone.get(f, []))}")
    print("\nmutants only one file kills:")
    for f, ms in sorted(alone.items()):
        for m in ms:
            print(f"  {f}: {m[0]}:{m[1]} {m[3].strip()} -> {m[4].strip() or '(dropped)'}")


def main():
    ap = argparse.ArgumentParser(description=__doc__, formatter_class=argparse.RawDescriptionHelpFormatter)
    ap.add_argument("count", nargs="?", type=int, default=150, help="compiling mutants to run (150)")
    ap.add_argument("seed", nargs="?", type=int, default=1, help="random seed (1)")
    ap.add_argument("--replay", metavar="RESULTS", help="run exactly the mutants of an earlier results file")
    ap.add_argument("--report", metavar="RESULTS", help="per test file: mutants killed, and killed alone")
    ap.add_argument("--out", metavar="FILE", help="results file (default build-mutation/results-SEED.tsv)")
    ap.add_argument("--work", default=str(ROOT / "build-mutation"), help="private copies and builds")
    ap.add_argument("--killed-only", action="store_true",
                    help="with --replay: only the mutants the earlier run killed (are they still?)")
    ap.add_argument("--follow", action="store_true",
                    help="with --replay: wait for the earlier run's further mutants, up to COUNT")
    ap.add_argument("--stop-on-failure", action="store_true",
                    help="stop a mutant's run at its first failing test (faster; --report then "
                         "knows only that test)")
    ap.add_argument("--rev", help="plant the mutants in this commit (default: the working tree)")
    ap.add_argument("--workers", type=int, default=2, help="mutants tried at once (2)")
    args = ap.parse_args()

    if args.report:
        report(args.report)
        return 0

    work = Path(args.work).resolve()
    if work == ROOT or ROOT in work.parents and work.name in ("src", "tests"):
        sys.exit("mutation: --work must be a folder of its own")
    work.mkdir(parents=True, exist_ok=True)
    out = Path(args.out or work / f"results-{args.seed}.tsv")

    source = snapshot(work, args.rev)
    def replayable():
        kept = ("killed",) if args.killed_only else ("killed", "survived")
        return [(m, failed, seen) for status, m, failed, seen in parse_results(args.replay)
                if status in kept]

    if args.replay:
        queue = replayable()
        # Following a run still going: as many as it will have.
        target = args.count if args.follow else len(queue)
    else:
        queue = [(m, (), None) for m in sample(source, args.seed)]
        target = args.count

    workers = [Worker(work, i, 2) for i in range(args.workers)]
    print(f"mutation: preparing {len(workers)} private build(s) under {work}", flush=True)
    # One after the other: the second build then comes from the compiler cache.
    for w in workers:
        w.prepare(source)
    # A test that fails without any mutant says nothing about them: it is
    # left out, and said so.
    excluded = set()
    for w in workers:
        failed = w.test(1800)
        if failed is None:
            sys.exit("mutation: the unmutated suite timed out; fix that first")
        excluded |= set(failed)
    if excluded:
        print(f"mutation: left out, failing without any mutant: {', '.join(sorted(excluded))}",
              flush=True)
    for w in workers:
        w.exclude = sorted(excluded)
        w.stop_early = args.stop_on_failure

    counts = {"killed": 0, "survived": 0, "not-compiling": 0, "stale": 0}
    survivors = []
    started = time.time()
    taken = 0

    def next_item():
        nonlocal taken, queue
        while True:
            if taken < len(queue):
                taken += 1
                return queue[taken - 1]
            if not (args.replay and args.follow):
                return None
            time.sleep(20)
            queue = replayable()
    with open(out, "w") as results:
        results.write(f"# seed {args.seed}, count {args.count}{', replay ' + args.replay if args.replay else ''}"
                      f"{', rev ' + args.rev if args.rev else ''}\n")
        if excluded:
            results.write(f"# left out (failing without mutants): {','.join(sorted(excluded))}\n")
        results.write("# status\tfile\tline\tcolumn\tfrom\tto\tbefore\tafter\tfailing tests\n")

        def run_one(worker, item):
            mutant, first, seen = item
            return mutant, worker.try_mutant(mutant, first, seen)

        with ThreadPoolExecutor(len(workers)) as pool:
            running = {}
            free = list(workers)

            def compiling():
                return counts["killed"] + counts["survived"]

            while True:
                while free and compiling() + len(running) < target:
                    mutant = next_item()
                    if mutant is None:
                        break
                    w = free.pop()
                    running[pool.submit(run_one, w, mutant)] = w
                if not running:
                    break
                done = next(iter(f for f in running if f.done()), None)
                if done is None:
                    time.sleep(0.2)
                    continue
                free.append(running.pop(done))
                mutant, (status, (before, after), failed) = done.result()
                counts[status] += 1
                results.write(f"{status}\t{fmt(mutant)}\t{before}\t{after}\t{','.join(failed)}\n")
                results.flush()
                if status == "survived":
                    survivors.append(mutant)
                print(f"[{compiling()}/{target} {time.time() - started:6.0f}s] {status:13} "
                      f"{mutant[0]}:{mutant[1]}  {mutant[3].strip() or mutant[3]} -> "
                      f"{mutant[4].strip() or '(dropped)'}", flush=True)

    total = counts["killed"] + counts["survived"]
    rate = 100.0 * counts["killed"] / total if total else 0.0
    print(f"\nkilled {counts['killed']}, survived {counts['survived']}, "
          f"not compiling {counts['not-compiling']}: kill rate {rate:.1f}% of {total} compiling mutants")
    print("survivors:")
    for m in survivors:
        print(f"  {m[0]}:{m[1]}  {m[3].strip()} -> {m[4].strip() or '(dropped)'}")
    print(f"results: {out}")
    return 0


if __name__ == "__main__":
    try:
        sys.exit(main())
    except KeyboardInterrupt:
        # The mutants live only in the private copies; each worker restores
        # its file on the way out, so nothing is left to undo here.
        sys.exit(130)
