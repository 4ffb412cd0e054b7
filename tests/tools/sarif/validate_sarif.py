#!/usr/bin/env python3
"""validate_sarif.py SCHEMA LOG: exit 0 when LOG (a SARIF file) validates
against SCHEMA, 1 with the first error otherwise, 2 when jsonschema is not
installed (Debian package python3-jsonschema)."""
import json
import sys

try:
    import jsonschema
except ImportError:
    print("python3-jsonschema is not installed", file=sys.stderr)
    sys.exit(2)

with open(sys.argv[1], encoding="utf-8") as f:
    schema = json.load(f)
with open(sys.argv[2], encoding="utf-8") as f:
    log = json.load(f)
try:
    jsonschema.validate(log, schema, cls=jsonschema.Draft7Validator,
                        format_checker=jsonschema.FormatChecker())
except jsonschema.ValidationError as e:
    print(f"{'/'.join(map(str, e.absolute_path))}: {e.message}", file=sys.stderr)
    sys.exit(1)
