#!/usr/bin/env python3
# Writes JSONTestSuiteValues.txt: for every y_ file of JSONTestSuite's test_parsing folder, the
# value that Python's strict json module reads from it, in torvane-json read's canonical form
# (numbers as doubles, so that -0 stays -0).
# usage: make_json_test_suite_values.py TEST_PARSING_DIR > JSONTestSuiteValues.txt
import json, os, sys
d = sys.argv[1]
def units(s):
    out = []
    for ch in s:
        c = ord(ch)
        if c > 0xFFFF:
            c -= 0x10000
            out += [0xD800 + (c >> 10), 0xDC00 + (c & 0x3FF)]
        else:
            out.append(c)
    return out
def string(s):
    return '"' + ''.join(chr(u) if 0x20 <= u <= 0x7E and u not in (0x22, 0x5C) else '\\u%04x' % u for u in units(s)) + '"'
def canon(v):
    if v is None: return 'null'
    if v is True: return 'true'
    if v is False: return 'false'
    if isinstance(v, (int, float)):
        f = float(v)
        if f != f: return 'nan'
        if f == float('inf'): return 'inf'
        if f == float('-inf'): return '-inf'
        return '%.17g' % f
    if isinstance(v, str): return string(v)
    if isinstance(v, list): return '[' + ','.join(canon(x) for x in v) + ']'
    if isinstance(v, dict):
        return '{' + ','.join(string(k) + ':' + canon(v[k]) for k in sorted(v, key=units)) + '}'
for name in sorted(os.listdir(d)):
    if not name.startswith('y_'): continue
    raw = open(os.path.join(d, name), 'rb').read()
    try:
        v = json.loads(raw.decode('utf-8', 'surrogatepass'), parse_int=float)
        print(name, 'value ' + canon(v))
    except Exception as e:
        print(name, 'PYERROR', e)
