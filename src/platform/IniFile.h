#pragma once

#include <cstddef>
#include <string>
#include <utility>
#include <vector>

namespace platform {

// INI files with the behaviour of the Windows profile calls.
//
// Reading: section and key names are matched regardless of ASCII case and trimmed of blanks
// (spaces, tabs); a value is trimmed too, and one wrapped in matching double or single quotes
// is given without them. Lines starting with ';' are comments, lines without '=' are no keys,
// keys before the first section belong to no section. Only the first section of a name is
// searched, and its first matching key wins. A value ends at a NUL byte. A UTF-8 byte order
// mark at the start is skipped. Lines end with LF or CR LF.
//
// Limits: any content is read without a crash (binary bytes, NULs, no final newline, text that
// is no INI). A file larger than 1 MiB, or one that is not a regular file, is treated as
// unreadable: reads give the default and writes refuse to touch it.

// Copies the value of key in section (or defaultValue when the file, the section or the key
// is missing) into buffer, cut to size - 1 characters and NUL-terminated. Returns the count
// of characters copied, without the NUL. A size of 0 copies nothing and returns 0.
std::size_t readPrivateProfileString(const std::string& section, const std::string& key,
                                     const std::string& defaultValue, char* buffer,
                                     std::size_t size, const std::string& path);

// Convenience form of the above for callers that need no fixed buffer.
std::string readPrivateProfileString(const std::string& section, const std::string& key,
                                     const std::string& defaultValue, const std::string& path);

// Writes key = value in section, creating the file and the section when missing. An existing
// key gets its value replaced in place, a new key goes after the last key of its section, a
// new section at the end of the file; every other byte of the file is kept, and so is its line
// ending (CR LF for a new file). The value is written as given, so blanks around it or quotes
// wrapped around it are lost on reading. A write that returns true reads back, whatever shape the
// file had (bare CRs, an unclosed header, no final newline).
//
// The file is replaced through a temporary sibling file (".NAME.tmp-" and six random characters),
// never left half-written, and the replacement keeps the file's owner, group and permission bits.
// Writers of one file, in threads or processes, take turns on a lock of the file, so none loses
// another's key; temporary files left by a writer killed half-way go with the next write.
//
// Returns false, leaving the file unchanged, when the file cannot be read or written, when it is
// read-only (no write bit for anybody, which holds for root too, or not writable by this
// process), when its owner or group cannot be kept (a file of another user written through group
// or other permissions), when the result would exceed 1 MiB, or when the names or the value
// would break the file's structure: CR, LF or NUL anywhere, ']' in the section, '=' in the key,
// a key starting with ';' or '[', an empty section or key.
bool writePrivateProfileString(const std::string& section, const std::string& key,
                               const std::string& value, const std::string& path);

// Writes each key = value of entries in section as above, all in one replacement of the file:
// either every key is written or, on any refusal, none is. Other keys of the section stay; an
// empty list is refused.
bool writePrivateProfileStrings(const std::string& section,
                                const std::vector<std::pair<std::string, std::string>>& entries,
                                const std::string& path);

} // namespace platform
