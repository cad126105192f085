#!/usr/bin/env python3
"""Checks that a program built against NVIDIA's Cg headers calls our libraries as it would call
NVIDIA's: every function our headers declare has NVIDIA's signature, and every enumerant both
headers name has the same value. Usage: header_abi.py OUR_CG_DIR NVIDIA_CG_DIR"""
import re
import sys

# GL's typedefs, which our header spells as the C types they stand for.
GL_TYPES = {"GLuint": "unsigned int", "GLenum": "unsigned int", "GLint": "int",
            "GLsizei": "int", "GLvoid": "void", "GLfloat": "float", "GLdouble": "double"}
DECORATIONS = re.compile(r"\b(CG_API|CGGL_API|CGENTRY|CGGLENTRY|extern)\b")
TYPE_WORDS = {"const", "unsigned", "signed", "int", "char", "float", "double", "void", "long",
              "short"}


def text_of(folder):
    text = ""
    for name in ("cg.h", "cgGL.h"):
        with open(f"{folder}/{name}", encoding="latin-1") as f:
            text += f.read() + "\n"
    text = re.sub(r"/\*.*?\*/", " ", text, flags=re.S)
    return re.sub(r"^\s*#.*$", " ", text, flags=re.M)


def normal_type(words):
    words = [GL_TYPES.get(w, w) for w in words]
    text = re.sub(r"\b(\w+) const\b", r"const \1", " ".join(words))  # "char const" is "const char"
    return re.sub(r"\s*\*\s*", "*", text).strip()


def parameter_type(param):
    tokens = re.findall(r"[A-Za-z_]\w*|\*", param)
    if tokens == ["void"]:
        return None
    # The last word is the parameter's name unless it is part of the type.
    if len(tokens) > 1 and tokens[-1] != "*" and tokens[-1] not in TYPE_WORDS and \
            not tokens[-1].startswith("CG") and not tokens[-1].startswith("GL"):
        tokens = tokens[:-1]
    return normal_type(tokens)


def functions(text):
    found = {}
    text = DECORATIONS.sub(" ", text)
    for m in re.finditer(r"([A-Za-z_][\w\s\*]*?)\b(cg\w+)\s*\(([^;{}]*?)\)\s*;", text):
        words = re.findall(r"[A-Za-z_]\w*|\*", m.group(1))
        # The result type is the run of type words just before the name.
        start = len(words)
        while start > 0 and (words[start - 1] in TYPE_WORDS or words[start - 1] == "*" or
                             words[start - 1].startswith(("CG", "GL"))):
            start -= 1
        result = normal_type(words[start:])
        params = [t for t in (parameter_type(p) for p in m.group(3).split(",")) if t]
        found[m.group(2)] = (result.split()[-1] if result.startswith("typedef") else result, params)
    return found


def enumerants(text):
    return dict(re.findall(r"\b(CG_\w+)\s*=\s*(\d+)", text))


def main():
    ours, nvidia = text_of(sys.argv[1]), text_of(sys.argv[2])
    our_functions, their_functions = functions(ours), functions(nvidia)
    faults = []
    for name, signature in sorted(our_functions.items()):
        if name not in their_functions:
            faults.append(f"{name}: not a function of NVIDIA's headers")
        elif their_functions[name] != signature:
            faults.append(f"{name}: ours {signature}, NVIDIA's {their_functions[name]}")
    our_values, their_values = enumerants(ours), enumerants(nvidia)
    for name, value in sorted(our_values.items()):
        if their_values.get(name, value) != value:
            faults.append(f"{name}: ours {value}, NVIDIA's {their_values[name]}")
    missing = sorted(set(their_values) - set(our_values))
    print(f"header-abi: {len(our_functions)} functions and {len(our_values)} enumerants compared; "
          f"{len(their_functions) - len(our_functions)} of NVIDIA's functions not offered; "
          f"{len(missing)} of its enumerants not named")
    for fault in faults:
        print("header-abi: " + fault)
    return 1 if faults or not our_functions else 0


if __name__ == "__main__":
    sys.exit(main())
