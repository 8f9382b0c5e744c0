#!/usr/bin/env bash
# Builds the request-parser fuzzer with clang's libFuzzer and runs it briefly.
#   run-fuzzer.sh SOURCE_DIR WORK_DIR [SECONDS]
# Exits 77 (skipped) when clang is missing, unless CI=true.
set -euo pipefail
source_dir=$1
work=$2
seconds=${3:-10}
clang=$(command -v clang++ || command -v clang++-14 || true)
if [ -z "$clang" ]; then
  echo "clang++ is not installed: install the Debian package clang (apt-get install clang)"
  [ "${CI:-}" = true ] && exit 1
  exit 77
fi
mkdir -p "$work/corpus"
http=$source_dir/src/fileshare/http
"$clang" -std=c++20 -g -O1 -fsanitize=fuzzer,address,undefined -fno-sanitize-recover=undefined \
  -I"$source_dir/src" -o "$work/request_parser_fuzzer" \
  "$source_dir/tests/fileshare/fuzz/RequestParserFuzzer.cpp" \
  "$http/BasicCredentials.cpp" "$http/ByteRange.cpp" "$http/HttpDate.cpp" \
  "$http/HttpRequestParser.cpp" "$http/HttpText.cpp" "$http/UrlPath.cpp"
cp -n "$source_dir"/tests/fileshare/fuzz/seeds/* "$work/corpus/" 2>/dev/null || true
exec "$work/request_parser_fuzzer" -max_total_time="$seconds" -max_len=20000 -print_final_stats=1 "$work/corpus"
