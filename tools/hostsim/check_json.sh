#!/usr/bin/env bash
# The --json trace carries the same events as the text trace, one valid JSON object a line, and
# closes with {"end":"complete"}.
set -euo pipefail
hostsim=$1
session=$2
text=$("$hostsim" "$session")
json=$("$hostsim" --json "$session")
python3 - "$text" "$json" <<'PY'
import json, sys
text, lines = sys.argv[1].splitlines(), sys.argv[2].splitlines()
objects = [json.loads(l) for l in lines]
calls = [o for o in objects if "call" in o]
text_calls = [l for l in text if not l.lstrip().split("ms", 1)[-1].strip().startswith("--") and "ms" in l]
assert objects[-1].get("end") == "complete", objects[-1]
assert len(calls) == len(text_calls) == objects[-1]["events"], (len(calls), len(text_calls))
for o, t in zip(calls, text_calls):
    shown = o["call"] + "(" + o["args"] + ")" + (" -> " + o["result"] if "result" in o else "")
    assert t.endswith(shown) and t.strip().startswith(str(o["t_ms"]) + " ms"), (t, shown)
print("json trace matches:", len(calls), "events")
PY
