#pragma once

#include <cstddef>
#include <string>

namespace platform {

// INI files with the behaviour of the Windows profile calls: sections and keys matched
// regardless of case, values trimmed of surrounding blanks, every other line kept on write.
// Any file content is read without a crash: binary bytes, overlong lines, text that is no INI.

// Copies the value of key in section (or defaultValue when the file, the section or the key
// is missing) into buffer, cut to size - 1 characters and NUL-terminated. Returns the count
// of characters copied, without the NUL. A size of 0 copies nothing and returns 0.
std::size_t readPrivateProfileString(const std::string& section, const std::string& key,
                                     const std::string& defaultValue, char* buffer,
                                     std::size_t size, const std::string& path);

// Convenience form of the above for callers that need no fixed buffer.
std::string readPrivateProfileString(const std::string& section, const std::string& key,
                                     const std::string& defaultValue, const std::string& path);

// Writes key = value in section, creating the file and the section when missing.
// Returns false when the file cannot be written.
bool writePrivateProfileString(const std::string& section, const std::string& key,
                               const std::string& value, const std::string& path);

} // namespace platform
