#!/usr/bin/env python3
"""Doxygen input filter: reads the headers' plain // comments as documentation.

The headers are written with ordinary // comments: one opening comment that
says what the header is for, with an example, directly above #pragma once,
then a comment above each declaration. This filter hands Doxygen the same
text with the comments marked as documentation, line for line, so that the
line numbers of its warnings stay right:

- a comment line becomes ///, a comment after code on the same line ///<;
- comment lines indented by two or more blanks (examples, tables, grammars)
  are indented four more, which makes them a code block shown as written;
- the #pragma once under the opening comment becomes @file, which makes that
  comment the file's documentation;
- a backslash before a letter in a comment is shown as written, not read as
  a command;
- a specialization written as struct std::NAME<...> is put inside namespace
  std, where Doxygen looks for it.
"""
import re
import sys

FULL = re.compile(r'^(\s*)//(?!/)(.*)$')
STD_SPECIALIZATION = re.compile(r'^struct std::(.*;)\s*$')
TRAILING = re.compile(r'^([^"\'/]*?[^\s/])(\s+)//(?!/)\s?(.*)$')


def convert(lines):
    out = []
    opening = True  # the comment that opens the file is not over yet
    for line in lines:
        m = FULL.match(line)
        if m:
            indent, text = m.group(1), m.group(2)
            body = text[1:] if text.startswith(' ') else text
            body = re.sub(r'\\(?=[A-Za-z])', r'\\\\', body)
            if body.startswith('  '):
                body = '    ' + body
            out.append(indent + '///' + (' ' + body if body else ''))
            continue
        if opening and line.strip() == '#pragma once':
            out.append('/// @file')
            opening = False
            continue
        opening = False
        spec = STD_SPECIALIZATION.match(line)
        if spec and out and out[-1].strip() == 'template <>':
            out[-1] = 'namespace std { template <>'
            out.append('struct ' + spec.group(1) + ' }')
            continue
        t = TRAILING.match(line)
        if t and not t.group(1).lstrip().startswith('#'):
            out.append(t.group(1) + t.group(2) + '///< ' + t.group(3))
        else:
            out.append(line)
    return out


def main():
    with open(sys.argv[1], encoding='utf-8') as f:
        lines = f.read().split('\n')
    sys.stdout.write('\n'.join(convert(lines)))


if __name__ == '__main__':
    main()
