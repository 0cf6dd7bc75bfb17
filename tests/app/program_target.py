#!/usr/bin/env python3
"""The target that ./run.sh builds brings everything the running program loads.

Configures the source tree afresh in a temporary folder, as ./run.sh does on a fresh clone, and reads
the build graph through CMake's file API: the target that run.sh names must depend, directly or not,
on every shared object that the build puts into Plugins/ (the import and image plug-ins) and on the
targets that write data/, Presets/ and the help page. Prints what is missing.

Arguments: the source tree.
"""
import json
import os
import re
import subprocess
import sys
import tempfile

# What resources/CMakeLists.txt builds beside the program.
DATA_TARGETS = {"system_dat", "layout_files", "preset_libraries", "help_page"}


def run_target(source):
    with open(os.path.join(source, "run.sh"), encoding="utf-8") as script:
        found = re.search(r"cmake --build build\b.*--target (\S+)", script.read())
    return found.group(1) if found else None


def codemodel(build):
    reply = os.path.join(build, ".cmake", "api", "v1", "reply")
    index = next(name for name in os.listdir(reply) if name.startswith("index-"))
    with open(os.path.join(reply, index), encoding="utf-8") as f:
        model_file = json.load(f)["reply"]["codemodel-v2"]["jsonFile"]
    with open(os.path.join(reply, model_file), encoding="utf-8") as f:
        model = json.load(f)
    targets = {}
    for entry in model["configurations"][0]["targets"]:
        with open(os.path.join(reply, entry["jsonFile"]), encoding="utf-8") as f:
            targets[entry["id"]] = json.load(f)
    return targets


def main():
    source = os.path.abspath(sys.argv[1])
    target = run_target(source)
    if not target:
        print("FAIL: run.sh names no target to build")
        return 1
    with tempfile.TemporaryDirectory(prefix="quarn2-fresh-") as build:
        os.makedirs(os.path.join(build, ".cmake", "api", "v1", "query"))
        open(os.path.join(build, ".cmake", "api", "v1", "query", "codemodel-v2"), "w").close()
        configured = subprocess.run(["cmake", "-S", source, "-B", build, "-DCMAKE_BUILD_TYPE=Release"],
                                    stdout=subprocess.PIPE, stderr=subprocess.STDOUT, text=True)
        if configured.returncode != 0:
            print(configured.stdout)
            print("FAIL: the fresh configure failed")
            return 1
        targets = codemodel(build)
        by_name = {t["name"]: t for t in targets.values()}
        if target not in by_name:
            print(f"FAIL: run.sh builds {target}, which the build does not define")
            return 1
        reached, pending = set(), [by_name[target]]
        while pending:
            for dependency in pending.pop().get("dependencies", []):
                if dependency["id"] not in reached:
                    reached.add(dependency["id"])
                    pending.append(targets[dependency["id"]])
        reached_names = {targets[i]["name"] for i in reached}
        plugins = {t["name"] for t in targets.values()
                   if any(os.path.dirname(a["path"]) == "Plugins" for a in t.get("artifacts", []))}
        if not plugins:
            print("FAIL: the build puts no plug-in into Plugins/")
            return 1
        missing = sorted((plugins | DATA_TARGETS) - reached_names)
    for name in missing:
        print(f"FAIL: {target}, which run.sh builds, does not bring {name}")
    if not missing:
        print(f"{target} brings {', '.join(sorted(plugins | DATA_TARGETS))}")
    return 1 if missing else 0


if __name__ == "__main__":
    sys.exit(main())
