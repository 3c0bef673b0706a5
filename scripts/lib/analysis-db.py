#!/usr/bin/env python3
"""Writes the compile databases the static analysis runs over.

From the native and the Windows build trees' compile_commands.json it keeps
the project's own C++ sources (not GoogleTest, not the resource script) and
writes three databases under OUT:

  native/compile_commands.json        the native sources, as built, and the
                                      fuzz targets with the native flags
  windows/compile_commands.json       the sources only the Windows tree builds,
                                      as the cross compiler built them (cppcheck)
  windows-clang/compile_commands.json the same, rewritten so clang parses them
                                      for the mingw-w64 target (clang-tidy)

A source both trees build is analysed once, from the native tree: the portable
code has no Windows-only branches. clang does not find the mingw-w64
libstdc++ on its own, so the rewritten commands name the cross compiler's own
include folders, asked of the cross compiler itself.
"""

import json
import os
import shlex
import subprocess
import sys

PROJECT_FOLDERS = ("core", "platform", "ui", "tools", "tests", "bench", "fuzz")
SOURCE_SUFFIXES = (".cpp", ".cc", ".cxx")
# gcc-only options clang would report as unknown.
GCC_ONLY_OPTIONS = ("-Wno-restrict",)


def fail(message):
    print(f"analysis-db: {message}", file=sys.stderr)
    sys.exit(2)


def load(build_dir):
    path = os.path.join(build_dir, "compile_commands.json")
    if not os.path.isfile(path):
        fail(f"{path} is missing: configure and build that tree first")
    with open(path, encoding="utf-8") as stream:
        return json.load(stream)


def arguments_of(entry):
    if "arguments" in entry:
        return list(entry["arguments"])
    return shlex.split(entry["command"])


def source_of(entry):
    return os.path.normpath(os.path.join(entry["directory"], entry["file"]))


def is_project_source(path, root):
    relative = os.path.relpath(path, root)
    top = relative.split(os.sep, 1)[0]
    return top in PROJECT_FOLDERS and path.endswith(SOURCE_SUFFIXES)


def compiler_include_folders(compiler):
    """The <...> search folders the cross compiler uses for C++."""
    result = subprocess.run([compiler, "-xc++", "-E", "-v", "-"], input="", capture_output=True,
                            text=True, check=True)
    folders = []
    listing = False
    for line in result.stderr.splitlines():
        if line.startswith("#include <...> search starts here"):
            listing = True
        elif line.startswith("End of search list"):
            break
        elif listing:
            folders.append(os.path.normpath(line.strip()))
    if not folders:
        fail(f"{compiler} listed no include folders")
    return folders


def for_clang(arguments, target, include_folders):
    # gcc's own include and include-fixed folders hold its builtin headers
    # (intrinsics, stddef.h); clang must use its own instead.
    kept = [folder for folder in include_folders
            if not ("/lib/gcc/" in folder
                    and os.path.basename(folder) in ("include", "include-fixed"))]
    rewritten = ["clang++", f"--target={target}", "-nostdlibinc", "-nostdinc++"]
    for folder in kept:
        rewritten += ["-isystem", folder]
    rewritten += [argument for argument in arguments[1:] if argument not in GCC_ONLY_OPTIONS]
    return rewritten


def write(out_dir, name, entries):
    folder = os.path.join(out_dir, name)
    os.makedirs(folder, exist_ok=True)
    with open(os.path.join(folder, "compile_commands.json"), "w", encoding="utf-8") as stream:
        json.dump(entries, stream, indent=1)


def main():
    if len(sys.argv) != 5:
        fail("usage: analysis-db.py SOURCE_ROOT NATIVE_BUILD WINDOWS_BUILD OUT")
    root, native_dir, windows_dir, out_dir = (os.path.abspath(arg) for arg in sys.argv[1:])

    native = []
    seen = set()
    for entry in load(native_dir):
        path = source_of(entry)
        if is_project_source(path, root) and path not in seen:
            seen.add(path)
            native.append(dict(entry, file=path))

    windows = []
    windows_clang = []
    folders_of = {}
    for entry in load(windows_dir):
        path = source_of(entry)
        if not is_project_source(path, root) or path in seen:
            continue
        seen.add(path)
        arguments = arguments_of(entry)
        compiler = arguments[0]
        if compiler not in folders_of:
            folders_of[compiler] = compiler_include_folders(compiler)
        target = os.path.basename(compiler).split("-g++")[0].split("-gcc")[0]
        windows.append(dict(entry, file=path))
        windows_clang.append({"directory": entry["directory"], "file": path,
                              "arguments": for_clang(arguments, target, folders_of[compiler])})
    if not windows:
        fail(f"{windows_dir}/compile_commands.json names no Windows-only sources")

    # The fuzz targets build only in their own clang tree; they are portable
    # code over the core and the fakes, so the native flags of a core source
    # serve them.
    template = next((entry for entry in native
                     if os.path.relpath(entry["file"], root).startswith("core" + os.sep)), None)
    fuzz_root = os.path.join(root, "fuzz")
    if template is not None and os.path.isdir(fuzz_root):
        template_arguments = arguments_of(template)
        for folder, _, names in sorted(os.walk(fuzz_root)):
            for name in sorted(names):
                path = os.path.join(folder, name)
                if not is_project_source(path, root) or path in seen:
                    continue
                seen.add(path)
                arguments = [path if argument == template["file"] else argument
                             for argument in template_arguments]
                if "-o" in arguments:
                    arguments[arguments.index("-o") + 1] = os.devnull
                native.append({"directory": template["directory"], "file": path,
                               "arguments": arguments})

    write(out_dir, "native", native)
    write(out_dir, "windows", windows)
    write(out_dir, "windows-clang", windows_clang)
    print(f"{len(native)} native and {len(windows)} Windows sources")


if __name__ == "__main__":
    main()
