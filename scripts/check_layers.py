#!/usr/bin/env python3
"""Fails, naming the file, the include and the rule, when a source of a layer includes from a
layer that cmake/layers.txt does not let it use.

Each line of cmake/layers.txt names a layer, its folder and the layers it may use. Every C and
C++ file in a layer's folder may include its own layer's files and those of the layers on its
line, nothing else of the project. Beyond that:
- a layer's line names no layer that none of its files includes from (the build links every
  layer on the line, so a stale name would link a layer for nothing);
- the aws layer's private headers (src/aws/src) stay its own: other layers see its public
  headers (src/aws/include, the SDK's paths) only;
- the README's table repeats the lines of cmake/layers.txt, so the two cannot part.

An include is resolved as the compiler would find it: next to the including file (quoted form),
then under the include roots every layer sees (src, the project folder, src/aws/include). One
that resolves to no file of the project (the C++ library, curl, pugixml) is not the project's
and is left alone.

    scripts/check_layers.py            check the project this script belongs to
    scripts/check_layers.py --root DIR check a copy of it
"""
import argparse
import re
import sys
from pathlib import Path

TABLE = Path("cmake/layers.txt")
README = Path("README.md")
INCLUDE_ROOTS = [Path("src"), Path("."), Path("src/aws/include")]
# Folders whose headers only their own layer may include.
PRIVATE_FOLDERS = {"aws": Path("src/aws/src")}
SOURCE_SUFFIXES = {".h", ".hpp", ".c", ".cc", ".cpp"}
INCLUDE = re.compile(r'^\s*#\s*include\s*([<"])([^>"]+)[>"]')


class Layer:
    def __init__(self, name, folder, uses, rule):
        self.name = name
        self.folder = folder
        self.uses = uses
        self.rule = rule


def read_table(root):
    layers = {}
    for line in (root / TABLE).read_text().splitlines():
        if not line.strip() or line.lstrip().startswith("#"):
            continue
        name, folder, *uses = line.split()
        layers[name] = Layer(name, Path(folder), uses, line)
    for layer in layers.values():
        for used in layer.uses:
            if used not in layers:
                sys.exit(f"{TABLE}: the layer {layer.name} uses {used}, which is no layer")
    return layers


def layer_of(path, layers):
    """The layer whose folder holds `path` (relative to the project), or None."""
    for layer in layers.values():
        if layer.folder in path.parents:
            return layer
    return None


def resolve(root, including, quoted, target):
    """The project file an include names, relative to the project, or None."""
    candidates = [including.parent / target] if quoted else []
    candidates += [base / target for base in INCLUDE_ROOTS]
    for candidate in candidates:
        if (root / candidate).is_file():
            return Path(*(root / candidate).resolve().relative_to(root.resolve()).parts)
    return None


def include_failures(root, layers):
    failures = []
    used = {name: set() for name in layers}
    for layer in layers.values():
        for source in sorted((root / layer.folder).rglob("*")):
            if source.suffix not in SOURCE_SUFFIXES or not source.is_file():
                continue
            relative = source.relative_to(root)
            text = source.read_text(errors="replace").splitlines()
            for number, line in enumerate(text, 1):
                match = INCLUDE.match(line)
                if not match:
                    continue
                quoted = match.group(1) == '"'
                spelled = f'"{match.group(2)}"' if quoted else f"<{match.group(2)}>"
                target = resolve(root, relative, quoted, match.group(2))
                if target is None:
                    continue
                where = f"{relative}:{number}: includes {spelled}"
                owner = layer_of(target, layers)
                if owner is None:
                    failures.append(f"{where} ({target}), which belongs to no layer; "
                                    f"a layer includes only from layers ({TABLE})")
                    continue
                if owner is layer:
                    continue
                used[layer.name].add(owner.name)
                if owner.name not in layer.uses:
                    allowed = ", ".join(layer.uses) or "no other layer"
                    failures.append(f"{where} of the layer {owner.name}, which the layer "
                                    f"{layer.name} may not use (it may use: {allowed}). "
                                    f'Rule in {TABLE}: "{layer.rule}"')
                private = PRIVATE_FOLDERS.get(owner.name)
                if private is not None and private in target.parents:
                    failures.append(f"{where}, a private header of the layer {owner.name} "
                                    f"({private}); other layers include its public headers only")
    for layer in layers.values():
        for name in layer.uses:
            if name not in used[layer.name]:
                failures.append(f'{TABLE}: the line "{layer.rule}" names {name}, but no file of '
                                f"{layer.folder} includes from it: drop it, or the build links "
                                f"{layer.name} to {name} for nothing")
    return failures


def readme_failures(root, layers):
    readme = {line.strip() for line in (root / README).read_text().splitlines()}
    return [f'{README}: the layer table lacks the line "{layer.rule}" of {TABLE}'
            for layer in layers.values() if layer.rule not in readme]


def main():
    parser = argparse.ArgumentParser(description=__doc__.splitlines()[0])
    parser.add_argument("--root", type=Path, default=Path(__file__).resolve().parent.parent,
                        help="the project folder (default: the one holding this script)")
    root = parser.parse_args().root
    layers = read_table(root)
    failures = include_failures(root, layers) + readme_failures(root, layers)
    for failure in failures:
        print(f"layering: {failure}", file=sys.stderr)
    if failures:
        return 1
    print(f"check_layers: {len(layers)} layers, every include within the rules of {TABLE}")
    return 0


if __name__ == "__main__":
    sys.exit(main())
