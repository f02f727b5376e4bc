#!/usr/bin/env python3
# SPDX-License-Identifier: GPL-3.0-or-later
# Fails when a document cites what does not exist: a test function as
# `tst_quiz::name`, one of its cases as `tst_quiz::name("case")`, a ctest
# name as `e2e_match`, or a path under scripts/, tests/, bench/ and the like.
#   citations.py SOURCE_DIR
import glob, os, re, sys

os.chdir(sys.argv[1])
read = lambda path: open(path).read() if os.path.exists(path) else ""
cmake = "".join(map(read, glob.glob("tests/**/CMakeLists.txt", recursive=True) + ["bench/CMakeLists.txt"]))
names = set(re.findall(r"add_\w*\(\s*(?:NAME\s+)?(\w+)", cmake))  # tests and programs
wrong = []
for document in ["README.md", "LEGGIMI.md", "CONTRIBUTING.md", "RELEASING.md", "bench/README.md"] + glob.glob("packaging/man/*.6"):
    # A manual page puts a citation in italics, and may escape a hyphen.
    text = re.sub(r"\\f[BIRP]", "`", read(document).replace("\\-", "-"))
    for cited, program, function, case in re.findall(r"\b((tst_\w+)::(\w+)(?:\(\"([^\"]+)\"\))?)", text):
        source = read(f"tests/{program}.cpp")  # a citation without a case finds Row("") added
        wrong += [] if f"void {function}()" in source and f'Row("{case}")' in source + 'Row("")' else [(document, cited)]
    wrong += [(document, name) for name in re.findall(r"`([a-z][a-z0-9]*_[a-z0-9_]+)`", text) if name not in names]
    paths = re.findall(r"(?<![\w/.-])(?:\./)?((?:scripts|tests|bench|src|debian|packaging|docs|\.ci)/[\w./-]*\w)", text)
    wrong += [(document, path) for path in paths if not os.path.exists(path)]
for document, cited in wrong:
    print(f"{document}: cites {cited}, which does not exist")
sys.exit(1 if wrong else 0)
