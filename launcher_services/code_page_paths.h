// Paths that the ANSI code page cannot hold (a Cyrillic folder on a Western
// system, a user named "Łukasz" on code page 1252): the ANSI functions give
// them with '?' or a look-alike letter in place of what the code page lacks,
// a path that names nothing. On the NT family the wide functions give the
// real path, and its 8.3 form is one that the ANSI functions can open.
#pragma once

#include <string>

namespace services {

// ansiPath, as GetModuleFileNameA or GetTempPathA gave it, when the code page
// holds the path that the wide function gives, else the short form of that
// path. Raises EUnusablePathError when the volume keeps no short name for
// it. On the 95 family ansiPath unchanged.
std::string ProgramPathInCodePage(const std::string& ansiPath);
std::string TempPathInCodePage(const std::string& ansiPath);

// A wide text (as the wide registry functions read it) in UTF-8 when the
// code page cannot hold it; empty when it can.
std::string Utf8BeyondCodePage(const wchar_t* text, int length);
// A path given in UTF-8 in the code page: as it is where the code page holds
// it, else its short form; where it has neither (it does not exist), the
// code page's nearest spelling, which names nothing.
std::string Utf8PathInCodePage(const std::string& utf8Path);

}  // namespace services
