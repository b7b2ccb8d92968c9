#!/bin/sh
# Runs the built `torvane-json write` on a few inputs and compares its output, its error line and
# its exit status.
# usage: torvane_json_write_test.sh PATH-TO-torvane-json
tool="$1"
failures=0
errors=$(mktemp)
trap 'rm -f "$errors"' EXIT

check() { # input, expected stdout, expected stderr, expected status
    actual=$(printf '%b' "$1" | "$tool" write 2>"$errors"; echo "|$?")
    status=${actual##*|}
    actual=${actual%|*}
    if [ "$actual" != "$2" ] || [ "$(cat "$errors")" != "$3" ] || [ "$status" != "$4" ]; then
        echo "write of '$1': got '$actual' '$(cat "$errors")' ($status), expected '$2' '$3' ($4)"
        failures=$((failures + 1))
    fi
}

check '["a\\u0001b"]' '["a\u0001b"]' '' 0
check '{"a": [1, 2.5, true, null, 1e+5, -0], "b": {}}' '{"a":[1,2.5,true,null,100000,-0],"b":{}}' '' 0
check '"\\ud800\\u00e9\\/\\n"' '"\ud800é\/\n"' '' 0
check '[1 2]' '' 'error JSONScannerErrorDomain -9 Could not scan array. Array not terminated by a '"']'"' character.' 1
check '' '' 'error JSONDeserializerErrorDomain -1 ' 1
check '[1e999]' '' "exception Could not serialize object 'inf'" 1
check 'x' '' "exception Cannot serialize data of type 'nil'" 1

# No newline is added after the text.
[ "$(printf '[]' | "$tool" write | od -An -c | tr -d ' \n')" = '[]' ] ||
    { echo "write must add nothing after the text"; failures=$((failures + 1)); }
"$tool" write /nonexistent/file 2>/dev/null
[ $? = 2 ] || { echo "an unreadable file must exit with 2"; failures=$((failures + 1)); }

[ "$failures" = 0 ]
