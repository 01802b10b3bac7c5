#!/usr/bin/env python3
"""Names every function of the product's C++ and CUDA sources longer than a limit of lines.

usage: check-function-size.py [--limit=100] FOLDER...

A function is the body of a brace that follows a parameter list at namespace or class level
(lambdas and blocks inside it count as its lines). Comments and literals are blanked first, so
their braces do not count. Exit status 1 when any function is longer than the limit.
"""
import os
import re
import sys

SOURCES = ('.cpp', '.h', '.cu', '.cuh')
FUNCTION_HEAD = re.compile(r'\)\s*(const)?\s*(noexcept)?\s*(override)?\s*(->\s*[\w:<>]+)?$'
                           r'|\)\s*:\s*[^;{}]*\)$')


def blanked(source):
    """The source with comments and literals emptied, line breaks kept."""
    source = re.sub(r'/\*.*?\*/', lambda m: '\n' * m.group(0).count('\n'), source, flags=re.S)
    source = re.sub(r'//[^\n]*', '', source)
    source = re.sub(r'"(\\.|[^"\\\n])*"', '""', source)
    return re.sub(r"'(\\.|[^'\\\n])*'", "''", source)


def long_functions(path, limit):
    with open(path, errors='replace') as file:
        source = blanked(file.read())
    open_braces = []  # (is a function's body, line)
    line = 1
    for at, char in enumerate(source):
        if char == '\n':
            line += 1
        elif char == '{':
            head = source[max(0, at - 300):at].rstrip()
            inside_function = any(is_function for is_function, _ in open_braces)
            open_braces.append((not inside_function and bool(FUNCTION_HEAD.search(head)), line))
        elif char == '}' and open_braces:
            is_function, first = open_braces.pop()
            if is_function and line - first + 1 > limit:
                yield first, line - first + 1


def main(arguments):
    limit = 100
    folders = []
    for argument in arguments:
        if argument.startswith('--limit='):
            limit = int(argument[len('--limit='):])
        else:
            folders.append(argument)
    found = False
    for folder in folders:
        for root, _, names in os.walk(folder):
            for name in sorted(names):
                if name.endswith(SOURCES):
                    path = os.path.join(root, name)
                    for first, lines in long_functions(path, limit):
                        print(f'{path}:{first}: a function of {lines} lines (limit {limit})')
                        found = True
    return 1 if found else 0


if __name__ == '__main__':
    sys.exit(main(sys.argv[1:]))
