#!/usr/bin/env python3
"""text_tables.py TEXTS_DIR OUTPUT_DIR [LANGUAGE... | none]

Reads the launcher's texts, one file a language (TEXTS_DIR/en.txt and the
others), checks them and writes the C++ that the program is built from:
OUTPUT_DIR/text_id.h (a name for each text) and OUTPUT_DIR/text_tables.cpp
(every language packed, English too). With LANGUAGE arguments
(file names without .txt), only those besides English are built in; with
"none", English alone.

Each language must give every text of English, with the same %s in the same
order and no other %, in characters that its code page holds; a failure
stops the build and says which file, text and character. Importable: the
tests read the texts through read_language()."""

import pathlib
import re
import sys

CODECS = {1250: "cp1250", 1251: "cp1251", 1252: "cp1252", 932: "cp932", 936: "cp936",
          949: "cp949"}
LINE = re.compile(r'^([a-z0-9-]+) = "((?:[^"\\]|\\.)*)"$')
SETTING = re.compile(r"^(language|code-page) = (0x[0-9A-Fa-f]{4}|[0-9]+)$")
ESCAPES = {"n": "\n", '"': '"', "\\": "\\"}


class TextError(Exception):
    pass


class Language:
    def __init__(self, path, tag, language, code_page, texts):
        self.path, self.tag, self.language, self.code_page = path, tag, language, code_page
        self.texts = texts  # name -> text, in the file's order

    def encoded(self, name):
        return self.texts[name].encode(CODECS[self.code_page])

    def table(self):
        """Every text in its code page, each ended by a NUL."""
        return b"".join(self.encoded(name) + b"\0" for name in self.texts)


def unescape(text, where):
    def replace(match):
        if match.group(1) not in ESCAPES:
            raise TextError(f"{where}: unknown escape \\{match.group(1)}")
        return ESCAPES[match.group(1)]
    return re.sub(r"\\(.)", replace, text)


def read_language(path):
    path = pathlib.Path(path)
    settings, texts = {}, {}
    for number, line in enumerate(path.read_text(encoding="utf-8").splitlines(), 1):
        where = f"{path.name}:{number}"
        if not line.strip() or line.startswith("#"):
            continue
        setting, text = SETTING.match(line), LINE.match(line)
        if setting:
            settings[setting.group(1)] = int(setting.group(2), 0)
        elif text:
            if text.group(1) in texts:
                raise TextError(f"{where}: {text.group(1)} is given twice")
            texts[text.group(1)] = unescape(text.group(2), where)
        else:
            raise TextError(f'{where}: not `name = "text"`, `language = 0x...` or `code-page = ...`')
    if set(settings) != {"language", "code-page"}:
        raise TextError(f"{path.name}: needs both `language =` and `code-page =`")
    if settings["code-page"] not in CODECS:
        raise TextError(f"{path.name}: code page {settings['code-page']} is none of {sorted(CODECS)}")
    return Language(path, path.stem, settings["language"], settings["code-page"], texts)


def check(english, language):
    """Raises TextError naming what the language lacks or gets wrong."""
    name = language.path.name
    if list(language.texts) != list(english.texts):
        missing = [n for n in english.texts if n not in language.texts]
        extra = [n for n in language.texts if n not in english.texts]
        raise TextError(f"{name}: names differ from en.txt (missing {missing}, unknown {extra}, "
                        "or in another order)")
    for text_name, text in language.texts.items():
        wanted = re.findall(r"%.?", english.texts[text_name])
        if re.findall(r"%.?", text) != wanted:
            raise TextError(f"{name}: {text_name} must have {wanted or 'no %'} as en.txt has, "
                            f"in that order: {text!r}")
        try:
            language.encoded(text_name)
        except UnicodeEncodeError as error:
            raise TextError(f"{name}: {text_name}: {text[error.start]!r} is not in code page "
                            f"{language.code_page}") from None


def pack(data):
    """data in the form that the program unpacks (common/unpack.cpp):
    a control byte c below 0x80 is followed by c + 1 bytes as they are; from
    0x80 on it copies (c & 0x7F) + 3 bytes from a distance given in the two
    bytes after it (little-endian) back in what was unpacked so far."""
    out, literals, i = bytearray(), bytearray(), 0

    def flush():
        while literals:
            chunk = literals[:128]
            out.append(len(chunk) - 1)
            out.extend(chunk)
            del literals[:128]

    while i < len(data):
        best_length, best_distance = 0, 0
        for start in range(max(0, i - 65535), i):
            length = 0
            while (length < 130 and i + length < len(data)
                   and data[start + length] == data[i + length]):
                length += 1
            if length > best_length:
                best_length, best_distance = length, i - start
        if best_length >= 4:
            flush()
            out.append(0x80 | (best_length - 3))
            out.extend(best_distance.to_bytes(2, "little"))
            i += best_length
        else:
            literals.append(data[i])
            i += 1
    flush()
    return bytes(out)


def identifier(name):
    return "k" + "".join(part.capitalize() for part in name.split("-"))


def c_bytes(data):
    return ",".join(str(b) for b in data)


def generate(english, others):
    names = list(english.texts)
    header = ["// Made by cmake/text_tables.py from resources/texts/en.txt.", "#pragma once", "",
              "namespace services {", "", "enum class TextId : unsigned char {"]
    header += [f"  {identifier(name)}," for name in names]
    english_table = english.table()
    header += ["};", "", f"constexpr int kTextCount = {len(names)};",
               f"constexpr int kOtherLanguageCount = {len(others)};",
               f"constexpr int kEnglishTextsSize = {len(english_table)};", "",
               "}  // namespace services", ""]
    english_packed = pack(english_table)
    source = ["// Made by cmake/text_tables.py from resources/texts/*.txt.",
              '#include "common/text_tables.h"', "", "namespace services {", "",
              f"static const unsigned char kEnglish[] = {{{c_bytes(english_packed)}}};",
              f"extern const PackedTexts kEnglishTexts = {{0x{english.language:04X}, "
              f"{english.code_page}, {len(english_packed)}, {len(english_table)}, kEnglish}};"]
    rows = []
    for language in others:
        table = language.table()
        packed = pack(table)
        source.append(f"static const unsigned char k{identifier(language.tag)}[] = {{{c_bytes(packed)}}};")
        rows.append(f"    {{0x{language.language:04X}, {language.code_page}, {len(packed)}, "
                    f"{len(table)}, k{identifier(language.tag)}}},")
    source += ["", "extern const PackedTexts kOtherLanguages[] = {"] + rows + ["    {0, 0, 0, 0, nullptr},", "};"]
    source += ["", "}  // namespace services", ""]
    return "\n".join(header), "\n".join(source)


def main(argv):
    texts, output, chosen = pathlib.Path(argv[0]), pathlib.Path(argv[1]), argv[2:]
    try:
        english = read_language(texts / "en.txt")
        paths = sorted(p for p in texts.glob("*.txt") if p.stem != "en")
        others = [read_language(p) for p in paths if not chosen or p.stem in chosen]
        unknown = set(chosen) - {p.stem for p in paths} - {"none"}
        if unknown:
            raise TextError(f"no texts for {sorted(unknown)} in {texts}")
        for language in others:
            check(english, language)
        english.table()  # every English text in its code page
    except (TextError, OSError, UnicodeError) as error:
        print(f"text_tables.py: {error}", file=sys.stderr)
        return 1
    header, source = generate(english, others)
    output.mkdir(parents=True, exist_ok=True)
    for name, content in (("text_id.h", header), ("text_tables.cpp", source)):
        path = output / name
        if not path.exists() or path.read_text() != content:
            path.write_text(content)
    return 0


if __name__ == "__main__":
    sys.exit(main(sys.argv[1:]))
