#!/bin/sh
# Runs the built `torvane-json read` on a few inputs and compares its one line and exit status.
# usage: torvane_json_read_test.sh PATH-TO-torvane-json
tool="$1"
failures=0

check() { # input, arguments, expected line, expected status
    actual=$(printf '%b' "$1" | "$tool" read $2)
    status=$?
    if [ "$actual" != "$3" ] || [ "$status" != "$4" ]; then
        echo "read $2 of '$1': got '$actual' ($status), expected '$3' ($4)"
        failures=$((failures + 1))
    fi
}

check '{"a": [1, 2.5, true, null], "b": {}}' '' 'value {"a":[1,2.5,true,null],"b":{}}' 0
check '{"b":1,"a":false,"B":"\\u00e9\\"\\\\\\u0001"}' '' 'value {"B":"\u00e9\u0022\u005c\u0001","a":false,"b":1}' 0
check '[0.1, 1e+5, -0, 1e400, -1e400]' '' 'value [0.10000000000000001,100000,-0,inf,-inf]' 0
check 'x' '' 'none' 0
check '' '' 'error JSONDeserializerErrorDomain -1 ' 1
check '{"k": [1, "\\q"]}' '' 'error JSONScannerErrorDomain -4 Could not scan dictionary. Failed to scan a value.' 1
check ' {}' '--as dictionary' "error JSONScannerErrorDomain -1 Could not scan dictionary. Dictionary that does not start with '{' character." 1
check '[1]' '--as array' 'value [1]' 0
check '[1]' '--as dictionary' "error JSONScannerErrorDomain -1 Could not scan dictionary. Dictionary that does not start with '{' character." 1

"$tool" read /nonexistent/file 2>/dev/null
[ $? = 2 ] || { echo "an unreadable file must exit with 2"; failures=$((failures + 1)); }
"$tool" read --as nothing 2>/dev/null </dev/null
[ $? = 2 ] || { echo "a bad argument must exit with 2"; failures=$((failures + 1)); }

[ "$failures" = 0 ]
