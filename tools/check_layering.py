#!/usr/bin/python3
"""Checks the layering of the sources: which folders may include which, which folders must be
free of include cycles between their units (a unit is a .h with its .cpp), and which libraries a
target must not link. Tests, fuzz targets and benchmarks are left out. Exits 1 and names every
breach found.

  check_layering.py --root DIR [--forbid FROM:TO]... [--acyclic DIR]...
                    [--no-link LINKFILE:NAME]...

--forbid core:platform/excel   no source under core/ includes a header under platform/excel/
--acyclic engine               no two units of engine/ include each other, directly or not
--no-link FILE:NAME            the link list written to FILE (";"-separated) holds no entry
                               containing NAME
"""
import argparse
import os
import re
import sys

INCLUDE = re.compile(r'^\s*#\s*include\s+"([^"]+)"')
SKIPPED = ('tests', 'fuzz', 'build')


def sources(root, folder):
    base = os.path.join(root, folder)
    for directory, subdirs, files in os.walk(base):
        subdirs[:] = [d for d in subdirs if d not in SKIPPED and not d.startswith('.')]
        for name in sorted(files):
            if name.endswith(('.h', '.cpp')):
                path = os.path.join(directory, name)
                yield os.path.relpath(path, root).replace(os.sep, '/'), path


def includes(path):
    with open(path, encoding='utf-8', errors='replace') as f:
        for number, line in enumerate(f, 1):
            m = INCLUDE.match(line)
            if m:
                yield number, m.group(1)


def under(path, folder):
    return path == folder or path.startswith(folder.rstrip('/') + '/')


def check_forbidden(root, rule):
    source, target = rule.split(':', 1)
    breaches = []
    for rel, path in sources(root, source):
        for number, header in includes(path):
            if under(header, target):
                breaches.append(f'{rel}:{number}: includes {header} ({source} must not use {target})')
    return breaches


def check_acyclic(root, folder):
    graph = {}
    for rel, path in sources(root, folder):
        unit = os.path.splitext(rel)[0]
        edges = graph.setdefault(unit, set())
        for _, header in includes(path):
            target = os.path.splitext(header)[0]
            if target != unit and under(target, folder):
                edges.add(target)
    # Tarjan's strongly connected components, iteratively.
    index, low, stack, on_stack, cycles = {}, {}, [], set(), []
    counter = 0
    for start in sorted(graph):
        if start in index:
            continue
        work = [(start, iter(sorted(graph[start])))]
        index[start] = low[start] = counter
        counter += 1
        stack.append(start)
        on_stack.add(start)
        while work:
            node, children = work[-1]
            advanced = False
            for child in children:
                if child not in graph:
                    continue
                if child not in index:
                    index[child] = low[child] = counter
                    counter += 1
                    stack.append(child)
                    on_stack.add(child)
                    work.append((child, iter(sorted(graph[child]))))
                    advanced = True
                    break
                if child in on_stack:
                    low[node] = min(low[node], index[child])
            if advanced:
                continue
            work.pop()
            if work:
                parent = work[-1][0]
                low[parent] = min(low[parent], low[node])
            if low[node] == index[node]:
                component = []
                while True:
                    member = stack.pop()
                    on_stack.discard(member)
                    component.append(member)
                    if member == node:
                        break
                if len(component) > 1:
                    cycles.append(sorted(component))
    return [f'{folder}: include cycle between ' + ', '.join(c) for c in cycles]


def check_links(rule):
    file, name = rule.rsplit(':', 1)
    with open(file, encoding='utf-8') as f:
        entries = [e for e in f.read().strip().split(';') if e]
    return [f'{file}: links {e} (must not link {name})' for e in entries if name in e]


def main():
    parser = argparse.ArgumentParser()
    parser.add_argument('--root', required=True)
    parser.add_argument('--forbid', action='append', default=[])
    parser.add_argument('--acyclic', action='append', default=[])
    parser.add_argument('--no-link', action='append', default=[])
    args = parser.parse_args()
    breaches = []
    for rule in args.forbid:
        breaches += check_forbidden(args.root, rule)
    for folder in args.acyclic:
        breaches += check_acyclic(args.root, folder)
    for rule in args.no_link:
        breaches += check_links(rule)
    for b in breaches:
        print(b)
    return 1 if breaches else 0


if __name__ == '__main__':
    sys.exit(main())
