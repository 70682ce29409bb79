#include "IniFile.h"

#include <algorithm>
#include <cerrno>
#include <cstdint>
#include <cstdlib>
#include <fcntl.h>
#include <filesystem>
#include <optional>
#include <string_view>
#include <sys/file.h>
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

FileText readOpenFile(int fd) {
    struct stat status {};
    if (::fstat(fd, &status) != 0 || !S_ISREG(status.st_mode) ||
        static_cast<std::uintmax_t>(status.st_size) > maxFileSize) {
        return {FileState::unusable, {}};
    }
    // One byte more than expected reveals a file that grew past the limit meanwhile.
    std::string text(static_cast<std::size_t>(status.st_size) + 1, '\0');
    std::size_t count = 0;
    while (count < text.size()) {
        const ssize_t got = ::read(fd, text.data() + count, text.size() - count);
        if (got < 0 && errno == EINTR) {
            continue;
        }
        if (got < 0) {
            return {FileState::unusable, {}};
        }
        if (got == 0) {
            break;
        }
        count += static_cast<std::size_t>(got);
    }
    if (count == text.size()) {
        return {FileState::unusable, {}};
    }
    text.resize(count);
    return {FileState::readable, std::move(text)};
}

// Opening a device could act on it (a serial port raises its lines), so only regular files are.
bool isOtherThanRegularFile(const fs::path& path) {
    struct stat status {};
    return ::stat(path.c_str(), &status) == 0 && !S_ISREG(status.st_mode);
}

FileText loadFile(const fs::path& path) {
    if (isOtherThanRegularFile(path)) {
        return {FileState::unusable, {}};
    }
    const int fd = ::open(path.c_str(), O_RDONLY | O_NONBLOCK | O_CLOEXEC);
    if (fd < 0) {
        return {errno == ENOENT ? FileState::missing : FileState::unusable, {}};
    }
    FileText file = readOpenFile(fd);
    ::close(fd);
    return file;
}

std::string_view lineEndingOf(std::string_view text) {
    const std::size_t lf = text.find('\n');
    return (lf != std::string_view::npos && (lf == 0 || text[lf - 1] != '\r')) ? "\n" : "\r\n";
}

// A line ending put after a bare CR must not make it the CR of a CR LF: the reader keeps a bare
// CR as part of the line, so the line would change its meaning.
void endLastLine(std::string& text, std::string_view lineEnding) {
    if (!text.empty() && !text.ends_with('\n')) {
        text.append(text.ends_with('\r') ? "\r\n" : lineEnding);
    }
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
        endLastLine(result, lineEnding);
        result.append(keyLine);
        result.append(text.substr(location.insertAt));
        return result;
    }
    result.append(text);
    endLastLine(result, lineEnding);
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

bool isSameFile(const fs::path& path, const struct stat& status) {
    struct stat current {};
    return ::stat(path.c_str(), &current) == 0 && current.st_dev == status.st_dev &&
           current.st_ino == status.st_ino;
}

bool lockExclusively(int fd) {
    int result = 0;
    do {
        result = ::flock(fd, LOCK_EX);
    } while (result != 0 && errno == EINTR);
    return result == 0;
}

// Writers take turns on the file itself. A write replaces the file, so a writer that waited on a
// file replaced meanwhile starts over on the new one. A missing file is created empty to have
// something to lock, and removed again when the write fails; readers take it for a missing one.
class TargetLock {
public:
    explicit TargetLock(fs::path target) : target_(std::move(target)) {
        Attempt attempt = Attempt::retry;
        for (int count = 0; count < 1000 && attempt == Attempt::retry; ++count) {
            attempt = tryLock();
        }
        if (attempt != Attempt::locked) {
            release();
        }
    }
    ~TargetLock() { release(); }
    TargetLock(const TargetLock&) = delete;
    TargetLock& operator=(const TargetLock&) = delete;

    bool held() const { return fd_ >= 0; }
    int fd() const { return fd_; }
    bool createdHere() const { return created_; }
    const struct stat& status() const { return status_; }

private:
    enum class Attempt { locked, retry, failed };

    Attempt tryLock() {
        release();
        if (isOtherThanRegularFile(target_)) {
            return Attempt::failed;
        }
        fd_ = ::open(target_.c_str(), O_RDONLY | O_NONBLOCK | O_CLOEXEC);
        if (fd_ < 0 && errno == ENOENT) {
            fd_ = ::open(target_.c_str(), O_RDONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0666);
            created_ = fd_ >= 0;
            if (fd_ < 0 && errno == EEXIST) {
                return Attempt::retry;
            }
        }
        if (fd_ < 0 || ::fstat(fd_, &status_) != 0 || !lockExclusively(fd_) ||
            ::fstat(fd_, &status_) != 0) {
            return Attempt::failed;
        }
        return isSameFile(target_, status_) ? Attempt::locked : Attempt::retry;
    }

    // After a successful write the path names the replacement, which stays.
    void release() {
        if (fd_ < 0) {
            return;
        }
        if (created_ && isSameFile(target_, status_)) {
            ::unlink(target_.c_str());
        }
        ::close(fd_);
        fd_ = -1;
        created_ = false;
    }

    fs::path target_;
    int fd_ = -1;
    bool created_ = false;
    struct stat status_ {};
};

// Root may write any file, so the mode bits are what marks a file as meant to stay unchanged: one
// without a write bit for anybody is read-only, as is one this process may not write.
bool isReadOnly(const fs::path& target, const struct stat& status) {
    return (status.st_mode & (S_IWUSR | S_IWGRP | S_IWOTH)) == 0 ||
           ::faccessat(AT_FDCWD, target.c_str(), W_OK, AT_EACCESS) != 0;
}

constexpr std::size_t randomPartSize = 6; // the "XXXXXX" of mkostemp

std::string temporaryPrefix(const fs::path& target) {
    return "." + target.filename().string() + ".tmp-";
}

bool isAsciiAlphanumeric(char c) {
    return (c >= '0' && c <= '9') || (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z');
}

bool isTemporaryOf(std::string_view name, std::string_view prefix) {
    return name.size() == prefix.size() + randomPartSize && name.starts_with(prefix) &&
           std::ranges::all_of(name.substr(prefix.size()), isAsciiAlphanumeric);
}

// Writers make temporary files only while they hold the lock, so any the lock holder finds were
// left by a writer killed half-way; removing them keeps them from piling up.
void removeLeftoverTemporaries(const fs::path& target) {
    const std::string prefix = temporaryPrefix(target);
    std::error_code error;
    for (fs::directory_iterator entry(folderOf(target), error), end; !error && entry != end;
         entry.increment(error)) {
        if (isTemporaryOf(entry->path().filename().string(), prefix)) {
            ::unlink(entry->path().c_str());
        }
    }
}

bool takeOverOwnerAndMode(int fd, const struct stat& old) {
    struct stat current {};
    if (::fstat(fd, &current) != 0) {
        return false;
    }
    const bool sameOwner = current.st_uid == old.st_uid && current.st_gid == old.st_gid;
    if (!sameOwner && ::fchown(fd, old.st_uid, old.st_gid) != 0) {
        return false;
    }
    // Set after the owner, as a change of owner clears the set-ID bits.
    const mode_t mode = old.st_mode & 07777;
    return (sameOwner && (current.st_mode & 07777) == mode) || ::fchmod(fd, mode) == 0;
}

// The new content goes to a sibling file first, so a crash leaves either the old file or the new.
bool replaceFile(const fs::path& target, std::string_view content, const struct stat& old) {
    removeLeftoverTemporaries(target);
    std::string temporary =
        (folderOf(target) / (temporaryPrefix(target) + std::string(randomPartSize, 'X'))).string();
    const int fd = ::mkostemp(temporary.data(), O_CLOEXEC);
    if (fd < 0) {
        return false;
    }
    bool ok = takeOverOwnerAndMode(fd, old) && writeAll(fd, content) && ::fsync(fd) == 0;
    ok = (::close(fd) == 0) && ok;
    ok = ok && ::rename(temporary.c_str(), target.c_str()) == 0;
    if (!ok) {
        ::unlink(temporary.c_str());
        return false;
    }
    syncFolder(folderOf(target));
    return true;
}

// Whatever shape the old content has, a write that reports success must read back.
bool readsBack(std::string_view text, std::string_view section, std::string_view key,
               std::string_view value) {
    const std::optional<std::string_view> found = findValue(text, section, key);
    return found && *found == withoutQuotes(trim(value));
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
    return writePrivateProfileStrings(section, {{key, value}}, path);
}

bool writePrivateProfileStrings(const std::string& section,
                                const std::vector<std::pair<std::string, std::string>>& entries,
                                const std::string& path) {
    const std::string_view sectionName = trim(section);
    const bool writable = std::ranges::all_of(entries, [](const auto& entry) {
        return isWritableKey(trim(entry.first)) && !hasLineBreakOrNul(entry.second);
    });
    if (entries.empty() || !isWritableSection(sectionName) || !writable) {
        return false;
    }
    const fs::path target = resolvedTarget(path);
    const TargetLock lock(target);
    if (!lock.held() || (!lock.createdHere() && isReadOnly(target, lock.status()))) {
        return false;
    }
    const FileText file = readOpenFile(lock.fd());
    if (file.state != FileState::readable) {
        return false;
    }
    std::string updated = file.text;
    for (const auto& [key, value] : entries) {
        updated = withKey(updated, sectionName, trim(key), value);
    }
    // Checked after all are in: a later key must not have spoiled an earlier one.
    const bool allReadBack = std::ranges::all_of(entries, [&](const auto& entry) {
        return readsBack(updated, sectionName, trim(entry.first), entry.second);
    });
    if (updated.size() > maxFileSize || !allReadBack) {
        return false;
    }
    return replaceFile(target, updated, lock.status());
}

} // namespace platform
