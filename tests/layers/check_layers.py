#!/usr/bin/env python3
"""Checks the direction of the includes between the program's folders.

The top-level README's "Layers" table names, from the top down, each folder of product code and the
folders whose headers it may include. This check fails when
  - the table lists a folder above one that it may include (the layers would not be layers),
  - a folder of product code has no row,
  - a product file includes a header of a folder that its row does not allow,
  - a folder's README (or a sub-folder's) names in its "May include" line a folder that the table does not
    allow it.
Tests, benchmarks and the build's own files may include anything.

Usage: check_layers.py <source folder>
"""

import pathlib
import re
import sys

NOT_PRODUCT = {"tests", "bench", "build", "cmake", "scripts", ".ci", ".git", ".cache"}
SOURCE_SUFFIXES = {".h", ".cpp"}
INCLUDE = re.compile(r'^\s*#\s*include\s+"([^"]+)"', re.M)


def read_table(readme):
    """The Layers table as a list of (folder, set of folders it may include), top row first."""
    text = readme.read_text(encoding="utf-8")
    section = re.search(r"^## Layers\n(.*?)(?=^## |\Z)", text, re.S | re.M)
    if not section:
        raise SystemExit(f"{readme}: no '## Layers' section")
    rows = []
    for line in section.group(1).splitlines():
        cells = [c.strip() for c in line.strip().strip("|").split("|")]
        if len(cells) != 2 or not line.lstrip().startswith("|"):
            continue
        folder = cells[0].strip("`").rstrip("/")
        if folder in ("folder", "") or set(folder) <= set("-: "):
            continue
        allowed = {name.strip("`").rstrip("/") for name in re.split(r"[,\s]+", cells[1]) if name.strip("`")}
        allowed.discard("nothing")
        rows.append((folder, allowed))
    if not rows:
        raise SystemExit(f"{readme}: the Layers table has no rows")
    return rows


def check_table(rows):
    errors = []
    position = {folder: i for i, (folder, _) in enumerate(rows)}
    for i, (folder, allowed) in enumerate(rows):
        for other in sorted(allowed):
            if other not in position:
                errors.append(f"Layers table: {folder} may include {other}, which has no row")
            elif position[other] <= i:
                errors.append(f"Layers table: {folder} may include {other}, which is not below it")
    return errors


def product_folders(root):
    return sorted(p.name for p in root.iterdir()
                  if p.is_dir() and p.name not in NOT_PRODUCT and not p.name.startswith(".")
                  and any(f.suffix in SOURCE_SUFFIXES for f in p.rglob("*")))


def included_folder(root, source, header):
    """The top-level folder of an included header, or None when it is not one of ours."""
    candidates = [source.parent / header, root / header]
    for candidate in candidates:
        resolved = candidate.resolve()
        if resolved.is_file():
            try:
                return resolved.relative_to(root.resolve()).parts[0]
            except ValueError:
                return None
    first = header.split("/")[0]
    return first if "/" in header and (root / first).is_dir() else None


def check_includes(root, rows):
    errors = []
    allowed = dict(rows)
    for folder in product_folders(root):
        if folder not in allowed:
            errors.append(f"{folder}/: product code without a row in the Layers table")
            continue
        for source in sorted((root / folder).rglob("*")):
            if source.suffix not in SOURCE_SUFFIXES:
                continue
            text = source.read_text(encoding="utf-8", errors="replace")
            for match in INCLUDE.finditer(text):
                target = included_folder(root, source, match.group(1))
                if target is None or target == folder or target in allowed[folder]:
                    continue
                line = text.count("\n", 0, match.start()) + 1
                errors.append(f"{source.relative_to(root)}:{line}: includes \"{match.group(1)}\"; "
                              f"{folder}/ may include only: {', '.join(sorted(allowed[folder])) or 'nothing'}")
    return errors


def check_readmes(root, rows):
    """Folder names in a README's "May include" paragraph must be allowed by the folder's row."""
    errors = []
    allowed = dict(rows)
    names = set(allowed)
    for folder in allowed:
        for readme in sorted((root / folder).rglob("README.md")) if (root / folder).is_dir() else []:
            text = readme.read_text(encoding="utf-8")
            match = re.search(r"^May include:(.*?)(?:\n\n|\Z)", text, re.S | re.M)
            if not match:
                errors.append(f"{readme.relative_to(root)}: no 'May include:' paragraph")
                continue
            for name in re.findall(r"\b([a-z]+)/", match.group(1)):
                if name in names and name != folder and name not in allowed[folder]:
                    errors.append(f"{readme.relative_to(root)}: May include names {name}/, "
                                  f"which the Layers table does not allow {folder}/")
    return errors


def main():
    root = pathlib.Path(sys.argv[1] if len(sys.argv) > 1 else ".")
    rows = read_table(root / "README.md")
    errors = check_table(rows) + check_includes(root, rows) + check_readmes(root, rows)
    for error in errors:
        print(error)
    if errors:
        print(f"{len(errors)} include(s) or rows break the layers")
        return 1
    print(f"layers hold: {len(rows)} folders checked")
    return 0


if __name__ == "__main__":
    sys.exit(main())
