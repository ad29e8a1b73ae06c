// Path texts: trailing backslashes, directory and name parts, short and
// temporary paths, safe file names and case-blind comparison.
#pragma once

#include <string>

namespace services {

// Whether a byte opens a double-byte character of the system's code page.
bool IsSystemLeadByte(unsigned char byte);

std::string WithTrailingBackslash(const std::string& path);
// Everything up to and including the last '\' or ':'.
std::string DirectoryPart(const std::string& path);
// Everything after the last '\' or ':', at most 255 characters.
std::string NamePart(const std::string& path);

// The 8.3 form when the platform gives one, else the path unchanged. Raises
// ETooLongError when the short form does not fit its 255-character buffer.
std::string ShortPathOf(const std::string& path);
// The user's temporary directory with its trailing '\', or empty (reported).
// Raises ETooLongError when it does not fit its 255-character buffer.
std::string TempDirectory();

std::string MapChars(const std::string& text, const std::string& toSet,
                     const std::string& fromSet);
// Makes the name part of a path safe for the file system.
std::string SanitizeFileName(const std::string& path);

// Locale-aware, case-blind: 0 means equal.
int CompareNoCase(const std::string& a, const std::string& b);
// The same comparison's equality, quick where both are plain ASCII.
bool EqualNoCase(const std::string& a, const std::string& b);

}  // namespace services
