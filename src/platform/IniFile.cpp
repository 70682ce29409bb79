#include "IniFile.h"

#include <algorithm>
#include <atomic>
#include <cerrno>
#include <fcntl.h>
#include <filesystem>
#include <fstream>
#include <optional>
#include <string_view>
#include <sys/stat.h>
#include <unistd.h>

namespace platform {
namespace {

namespace fs = std::filesystem;

constexpr std::size_t maxFileSize = std::size_t{1024} * 1024;
constexpr std::string_view utf8Bom = "\xEF\xBB\xBF";
constexpr std::string_view lineBreaksAndNul{"\r\n\0", 3};

bool isBlank(char c) {
    return c == ' ' || c == '\t';
}

std::string_view trim(std::string_view text) {
    while (!text.empty() && isBlank(text.front())) {
        text.remove_prefix(1);
    }
    while (!text.empty() && isBlank(text.back())) {
        text.remove_suffix(1);
    }
    return text;
}

// ASCII folding only: bytes of multi-byte characters must compare exactly.
char foldCase(char c) {
    return (c >= 'A' && c <= 'Z') ? static_cast<char>(c - 'A' + 'a') : c;
}

bool equalsIgnoringCase(std::string_view a, std::string_view b) {
    return std::ranges::equal(a, b, [](char x, char y) { return foldCase(x) == foldCase(y); });
}

std::string_view withoutQuotes(std::string_view value) {
    if (value.size() >= 2 && value.front() == value.back() &&
        (value.front() == '"' || value.front() == '\'')) {
        return value.substr(1, value.size() - 2);
    }
    return value;
}

std::string_view upToNul(std::string_view text) {
    return text.substr(0, text.find('\0'));
}

struct Line {
    std::size_t begin;
    std::size_t end;  // content end, before CR LF or LF
    std::size_t next; // start of the following line
};

Line lineAt(std::string_view text, std::size_t begin) {
    const std::size_t lf = text.find('\n', begin);
    if (lf == std::string_view::npos) {
        return {begin, text.size(), text.size()};
    }
    const std::size_t end = (lf > begin && text[lf - 1] == '\r') ? lf - 1 : lf;
    return {begin, end, lf + 1};
}

// A header without its closing bracket still starts a section, named by the rest of the line.
std::string_view sectionName(std::string_view header) {
    header.remove_prefix(1);
    return trim(header.substr(0, header.find(']')));
}

struct KeyLocation {
    bool sectionFound = false;
    bool keyFound = false;
    std::size_t valueBegin = 0; // the key's value spans [valueBegin, valueEnd)
    std::size_t valueEnd = 0;
    std::size_t insertAt = 0; // where a missing key of a found section goes
};

// Only the first section of that name is searched, so reads and writes agree on one key line.
KeyLocation locateKey(std::string_view text, std::string_view section, std::string_view key) {
    KeyLocation location;
    std::size_t position = text.starts_with(utf8Bom) ? utf8Bom.size() : 0;
    while (position < text.size()) {
        const Line line = lineAt(text, position);
        position = line.next;
        const std::string_view content = text.substr(line.begin, line.end - line.begin);
        const std::string_view stripped = trim(content);
        if (stripped.starts_with('[')) {
            if (location.sectionFound) {
                break;
            }
            location.sectionFound = equalsIgnoringCase(sectionName(stripped), section);
            location.insertAt = line.next;
            continue;
        }
        const std::size_t equals = content.find('=');
        if (!location.sectionFound || stripped.starts_with(';') ||
            equals == std::string_view::npos) {
            continue;
        }
        location.insertAt = line.next;
        if (equalsIgnoringCase(trim(content.substr(0, equals)), key)) {
            std::size_t valueBegin = equals + 1;
            while (valueBegin < content.size() && isBlank(content[valueBegin])) {
                ++valueBegin;
            }
            location.keyFound = true;
            location.valueBegin = line.begin + valueBegin;
            location.valueEnd = line.end;
            break;
        }
    }
    return location;
}

std::optional<std::string_view> findValue(std::string_view text, std::string_view section,
                                          std::string_view key) {
    const KeyLocation location = locateKey(text, section, key);
    if (!location.keyFound) {
        return std::nullopt;
    }
    const std::string_view raw =
        text.substr(location.valueBegin, location.valueEnd - location.valueBegin);
    return withoutQuotes(trim(upToNul(raw)));
}

enum class FileState { missing, readable, unusable };

struct FileText {
    FileState state;
    std::string text;
};

FileText loadFile(const fs::path& path) {
    std::error_code error;
    const fs::file_status status = fs::status(path, error);
    if (status.type() == fs::file_type::not_found) {
        return {FileState::missing, {}};
    }
    if (error || status.type() != fs::file_type::regular) {
        return {FileState::unusable, {}};
    }
    const std::uintmax_t size = fs::file_size(path, error);
    if (error || size > maxFileSize) {
        return {FileState::unusable, {}};
    }
    std::ifstream in(path, std::ios::binary);
    // One byte more than expected reveals a file that grew past the limit meanwhile.
    std::string text(static_cast<std::size_t>(size) + 1, '\0');
    in.read(text.data(), static_cast<std::streamsize>(text.size()));
    const auto count = static_cast<std::size_t>(in.gcount());
    if (in.bad() || !in.eof() || count > maxFileSize) {
        return {FileState::unusable, {}};
    }
    text.resize(count);
    return {FileState::readable, std::move(text)};
}

std::string_view lineEndingOf(std::string_view text) {
    const std::size_t lf = text.find('\n');
    return (lf != std::string_view::npos && (lf == 0 || text[lf - 1] != '\r')) ? "\n" : "\r\n";
}

bool endsWithBlankLine(std::string_view text) {
    text.remove_suffix(1);
    if (text.ends_with('\r')) {
        text.remove_suffix(1);
    }
    return text.empty() || text.ends_with('\n');
}

std::string withKey(std::string_view text, std::string_view section, std::string_view key,
                    std::string_view value) {
    const KeyLocation location = locateKey(text, section, key);
    std::string result;
    if (location.keyFound) {
        result.append(text.substr(0, location.valueBegin));
        result.append(value);
        result.append(text.substr(location.valueEnd));
        return result;
    }
    const std::string_view lineEnding = lineEndingOf(text);
    std::string keyLine;
    keyLine.append(key).append("=").append(value).append(lineEnding);
    if (location.sectionFound) {
        result.append(text.substr(0, location.insertAt));
        if (!result.ends_with('\n')) {
            result.append(lineEnding);
        }
        result.append(keyLine);
        result.append(text.substr(location.insertAt));
        return result;
    }
    result.append(text);
    if (!result.empty() && !result.ends_with('\n')) {
        result.append(lineEnding);
    }
    if (!result.empty() && !endsWithBlankLine(result)) {
        result.append(lineEnding);
    }
    result.append("[").append(section).append("]").append(lineEnding).append(keyLine);
    return result;
}

bool hasLineBreakOrNul(std::string_view text) {
    return text.find_first_of(lineBreaksAndNul) != std::string_view::npos;
}

bool isWritableSection(std::string_view section) {
    return !section.empty() && !hasLineBreakOrNul(section) &&
           section.find(']') == std::string_view::npos;
}

// A key starting with ';' or '[' would turn its line into a comment or a section header.
bool isWritableKey(std::string_view key) {
    return !key.empty() && !hasLineBreakOrNul(key) && key.find('=') == std::string_view::npos &&
           !key.starts_with(';') && !key.starts_with('[');
}

bool writeAll(int fd, std::string_view content) {
    while (!content.empty()) {
        const ssize_t written = ::write(fd, content.data(), content.size());
        if (written < 0 && errno == EINTR) {
            continue;
        }
        if (written <= 0) {
            return false;
        }
        content.remove_prefix(static_cast<std::size_t>(written));
    }
    return true;
}

void syncFolder(const fs::path& folder) {
    const int fd = ::open(folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (fd >= 0) {
        ::fsync(fd);
        ::close(fd);
    }
}

fs::path folderOf(const fs::path& file) {
    return file.has_parent_path() ? file.parent_path() : fs::path(".");
}

int createTemporaryFile(const fs::path& target, fs::path& temporary) {
    static std::atomic<unsigned> counter{0};
    const fs::path folder = folderOf(target);
    for (int attempt = 0; attempt < 100; ++attempt) {
        temporary = folder / ("." + target.filename().string() + ".tmp" +
                              std::to_string(::getpid()) + "_" + std::to_string(counter++));
        const int fd = ::open(temporary.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0666);
        if (fd >= 0 || errno != EEXIST) {
            return fd;
        }
    }
    return -1;
}

// The new content goes to a sibling file first, so a crash leaves either the old file or the new.
bool replaceFile(const fs::path& target, std::string_view content) {
    fs::path temporary;
    const int fd = createTemporaryFile(target, temporary);
    if (fd < 0) {
        return false;
    }
    struct stat old {};
    const bool keptMode =
        ::stat(target.c_str(), &old) != 0 || ::fchmod(fd, old.st_mode & 07777) == 0;
    bool ok = keptMode && writeAll(fd, content) && ::fsync(fd) == 0;
    ok = (::close(fd) == 0) && ok;
    ok = ok && ::rename(temporary.c_str(), target.c_str()) == 0;
    if (!ok) {
        ::unlink(temporary.c_str());
        return false;
    }
    syncFolder(folderOf(target));
    return true;
}

// Writing through a link updates the file it points to instead of replacing the link.
fs::path resolvedTarget(const std::string& path) {
    std::error_code error;
    fs::path real = fs::canonical(path, error);
    return error ? fs::path(path) : real;
}

} // namespace

std::size_t readPrivateProfileString(const std::string& section, const std::string& key,
                                     const std::string& defaultValue, char* buffer,
                                     std::size_t size, const std::string& path) {
    if (buffer == nullptr || size == 0) {
        return 0;
    }
    const std::string value = readPrivateProfileString(section, key, defaultValue, path);
    const std::string_view text = upToNul(value);
    const std::size_t count = std::min(text.size(), size - 1);
    std::copy_n(text.data(), count, buffer);
    buffer[count] = '\0';
    return count;
}

std::string readPrivateProfileString(const std::string& section, const std::string& key,
                                     const std::string& defaultValue, const std::string& path) {
    const std::string_view sectionName = trim(section);
    const std::string_view keyName = trim(key);
    if (sectionName.empty() || keyName.empty()) {
        return defaultValue;
    }
    const FileText file = loadFile(path);
    if (file.state != FileState::readable) {
        return defaultValue;
    }
    const std::optional<std::string_view> value = findValue(file.text, sectionName, keyName);
    return value ? std::string(*value) : defaultValue;
}

bool writePrivateProfileString(const std::string& section, const std::string& key,
                               const std::string& value, const std::string& path) {
    const std::string_view sectionName = trim(section);
    const std::string_view keyName = trim(key);
    if (!isWritableSection(sectionName) || !isWritableKey(keyName) || hasLineBreakOrNul(value)) {
        return false;
    }
    const fs::path target = resolvedTarget(path);
    const FileText file = loadFile(target);
    if (file.state == FileState::unusable) {
        return false;
    }
    const std::string updated = withKey(file.text, sectionName, keyName, value);
    if (updated.size() > maxFileSize) {
        return false;
    }
    return replaceFile(target, updated);
}

} // namespace platform
