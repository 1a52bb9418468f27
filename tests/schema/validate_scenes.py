#!/usr/bin/python3
"""Checks docs/scene.schema.json against the scenes of the repository with a real validator (python3-jsonschema).

Every scene in examples/, tests/data/, bench/scenes/ and the built-in demo (`vorlane demo-scene`) must validate.
Every scene in tests/schema/invalid/ must fail to validate, and must be refused by `vorlane render` too, so that
the schema and the loader agree on what is wrong. Usage: validate_scenes.py REPO_ROOT VORLANE_BINARY
"""
import json
import pathlib
import subprocess
import sys
import tempfile

import jsonschema


def main():
    root = pathlib.Path(sys.argv[1])
    vorlane = sys.argv[2]
    schema = json.loads((root / "docs/scene.schema.json").read_text())
    jsonschema.Draft202012Validator.check_schema(schema)
    validator = jsonschema.Draft202012Validator(schema)
    failures = []

    scenes = {}
    for folder in ("examples", "tests/data", "bench/scenes"):
        for path in sorted((root / folder).glob("*.json")):
            scenes[str(path.relative_to(root))] = json.loads(path.read_text())
    demo = subprocess.run([vorlane, "demo-scene"], check=True, capture_output=True, text=True).stdout
    scenes["(built-in demo)"] = json.loads(demo)
    if len(scenes) < 6:
        failures.append(f"found only {len(scenes)} scenes; the search for them is broken")
    for name, scene in scenes.items():
        errors = list(validator.iter_errors(scene))
        for error in errors:
            failures.append(f"{name}: /{'/'.join(map(str, error.absolute_path))}: {error.message}")
        if not errors:
            print(f"valid: {name}")

    invalid = sorted((root / "tests/schema/invalid").glob("*.json"))
    if not invalid:
        failures.append("no invalid scenes to check")
    for path in invalid:
        scene = json.loads(path.read_text())
        if validator.is_valid(scene):
            failures.append(f"{path.name}: the schema takes it, but it is wrong")
        with tempfile.TemporaryDirectory() as out:
            # Beside the valid scenes' art, so that a scene is wrong only for the reason its name gives.
            run = subprocess.run([vorlane, "render", str(path), "--frames", "0", "--out", out],
                                 capture_output=True, text=True, cwd=root)
        if run.returncode == 0:
            failures.append(f"{path.name}: vorlane renders it, but the schema refuses it")
        else:
            print(f"refused by both: {path.name}: {run.stderr.strip()}")

    for failure in failures:
        print("FAIL: " + failure, file=sys.stderr)
    return 1 if failures else 0


if __name__ == "__main__":
    sys.exit(main())
