// The Win32 subset of base/platform.h over POSIX descriptors (non-Windows hosts only).
// A HANDLE carries the descriptor number; errors are mapped to the Win32 codes that the
// portable code and its tests look at.
#include "base/platform.h"

#include <errno.h>
#include <fcntl.h>
#include <stdlib.h>
#include <string.h>
#include <sys/stat.h>
#include <unistd.h>

#include <map>
#include <mutex>
#include <string>

#include "base/cp932.h"

namespace {

thread_local DWORD lastError = NO_ERROR;

int DescriptorOf(HANDLE handle) {
    return static_cast<int>(reinterpret_cast<std::intptr_t>(handle));
}

HANDLE HandleOf(int descriptor) {
    return reinterpret_cast<HANDLE>(static_cast<std::intptr_t>(descriptor));
}

DWORD Win32ErrorOf(int error) {
    switch (error) {
        case 0:
            return NO_ERROR;
        case ENOENT:
            return ERROR_FILE_NOT_FOUND;
        case ENOTDIR:
            return ERROR_PATH_NOT_FOUND;
        case EACCES:
        case EPERM:
        case EISDIR:
        case EROFS:
            return ERROR_ACCESS_DENIED;
        case EBADF:
            return ERROR_INVALID_HANDLE;
        case EEXIST:
            return ERROR_ALREADY_EXISTS;
        case ENOSPC:
        case EDQUOT:
            return ERROR_DISK_FULL;
        case EFBIG:
            return ERROR_FILE_TOO_LARGE;
        case ENAMETOOLONG:
            return ERROR_FILENAME_EXCED_RANGE;
        case ENOTEMPTY:
            return ERROR_DIR_NOT_EMPTY;
        case EMFILE:
        case ENFILE:
            return ERROR_TOO_MANY_OPEN_FILES;
        case ENOMEM:
            return ERROR_NOT_ENOUGH_MEMORY;
        default:
            return ERROR_INVALID_PARAMETER;
    }
}

BOOL FailWithErrno() {
    lastError = Win32ErrorOf(errno);
    return FALSE;
}

BOOL Fail(DWORD error) {
    lastError = error;
    return FALSE;
}

// Windows tells a missing file (ERROR_FILE_NOT_FOUND) from a missing folder on its way
// (ERROR_PATH_NOT_FOUND); POSIX says ENOENT for both.
DWORD Win32ErrorOfPath(int error, const char* path) {
    if (error != ENOENT)
        return Win32ErrorOf(error);
    std::string folder = path;
    std::size_t separator = folder.find_last_of('/');
    if (separator == std::string::npos)
        return ERROR_FILE_NOT_FOUND;
    folder.resize(separator == 0 ? 1 : separator);
    struct stat status {};
    bool folderExists = stat(folder.c_str(), &status) == 0 && S_ISDIR(status.st_mode);
    return folderExists ? ERROR_FILE_NOT_FOUND : ERROR_PATH_NOT_FOUND;
}

BOOL FailWithErrnoOfPath(const char* path) {
    return Fail(Win32ErrorOfPath(errno, path));
}

// A read or write that the handle's access does not allow: EBADF (or EINVAL from ftruncate)
// on a descriptor that is open. Windows calls it ERROR_ACCESS_DENIED.
BOOL FailWithErrnoOfHandle(int descriptor) {
    int error = errno;
    if ((error == EBADF || error == EINVAL) && fcntl(descriptor, F_GETFL) != -1)
        return Fail(ERROR_ACCESS_DENIED);
    return Fail(Win32ErrorOf(error));
}

// The sharing rules of Windows between the handles of this process: a new open must share
// the access of every open handle of the same file, and every open handle must share the
// access of the new one. An open without read or write access meets no rule.
struct OpenFile {
    dev_t device;
    ino_t inode;
    DWORD access;
    DWORD share;
};

class OpenFiles {
  public:
    bool Conflicts(const struct stat& file, DWORD access, DWORD share) {
        std::lock_guard<std::mutex> lock(mutex_);
        if (!(access & (GENERIC_READ | GENERIC_WRITE)))
            return false;
        for (const auto& [descriptor, open] : files_) {
            if (open.device != file.st_dev || open.inode != file.st_ino)
                continue;
            if (Denies(access, open.share) || Denies(open.access, share))
                return true;
        }
        return false;
    }
    // Whether a handle that does not share deletion holds the file.
    bool KeepsFromDeletion(const struct stat& file) {
        std::lock_guard<std::mutex> lock(mutex_);
        for (const auto& [descriptor, open] : files_) {
            if (open.device == file.st_dev && open.inode == file.st_ino &&
                !(open.share & FILE_SHARE_DELETE))
                return true;
        }
        return false;
    }
    void Add(int descriptor, const struct stat& file, DWORD access, DWORD share) {
        std::lock_guard<std::mutex> lock(mutex_);
        files_[descriptor] = OpenFile{file.st_dev, file.st_ino, access, share};
    }
    void Remove(int descriptor) {
        std::lock_guard<std::mutex> lock(mutex_);
        files_.erase(descriptor);
    }

  private:
    static bool Denies(DWORD access, DWORD share) {
        return ((access & GENERIC_READ) && !(share & FILE_SHARE_READ)) ||
               ((access & GENERIC_WRITE) && !(share & FILE_SHARE_WRITE));
    }

    std::mutex mutex_;
    std::map<int, OpenFile> files_;
};

OpenFiles& OpenFilesOfProcess() {
    static OpenFiles files;
    return files;
}

// FILETIME counts 100 ns intervals since 1601-01-01.
constexpr std::int64_t kUnixEpochInFileTimeSeconds = 11644473600LL;

FILETIME FileTimeOf(const struct timespec& time) {
    std::uint64_t ticks =
        static_cast<std::uint64_t>(time.tv_sec + kUnixEpochInFileTimeSeconds) * 10000000ULL +
        static_cast<std::uint64_t>(time.tv_nsec) / 100;
    return FILETIME{static_cast<DWORD>(ticks), static_cast<DWORD>(ticks >> 32)};
}

struct timespec TimespecOf(const FILETIME* time) {
    struct timespec result {};
    if (time == nullptr) {
        result.tv_nsec = UTIME_OMIT;
        return result;
    }
    std::uint64_t ticks =
        (static_cast<std::uint64_t>(time->dwHighDateTime) << 32) | time->dwLowDateTime;
    result.tv_sec = static_cast<time_t>(ticks / 10000000ULL) - kUnixEpochInFileTimeSeconds;
    result.tv_nsec = static_cast<long>(ticks % 10000000ULL) * 100;
    return result;
}

}  // namespace

HANDLE CreateFileA(const char* path, DWORD access, DWORD share, LPSECURITY_ATTRIBUTES,
                   DWORD disposition, DWORD flagsAndAttributes, HANDLE) {
    int flags = O_CLOEXEC;
    bool reads = (access & GENERIC_READ) != 0;
    bool writes = (access & GENERIC_WRITE) != 0;
    flags |= reads && writes ? O_RDWR : writes ? O_WRONLY : O_RDONLY;
    switch (disposition) {
        case CREATE_NEW:
            flags |= O_CREAT | O_EXCL;
            break;
        case CREATE_ALWAYS:
            flags |= O_CREAT;
            break;
        case OPEN_EXISTING:
            break;
        case OPEN_ALWAYS:
            flags |= O_CREAT;
            break;
        case TRUNCATE_EXISTING:
            break;
        default:
            lastError = ERROR_INVALID_PARAMETER;
            return INVALID_HANDLE_VALUE;
    }
    struct stat before {};
    bool existed = stat(path, &before) == 0;
    // Checked before anything is made or cut.
    if (existed && OpenFilesOfProcess().Conflicts(before, access, share)) {
        lastError = ERROR_SHARING_VIOLATION;
        return INVALID_HANDLE_VALUE;
    }
    mode_t mode = (flagsAndAttributes & FILE_ATTRIBUTE_READONLY) ? 0444 : 0644;
    int descriptor = open(path, flags, mode);
    if (descriptor < 0) {
        lastError = errno == EEXIST ? ERROR_FILE_EXISTS : Win32ErrorOfPath(errno, path);
        return INVALID_HANDLE_VALUE;
    }
    // Windows opens no folder through CreateFileA without backup semantics.
    struct stat opened {};
    if (fstat(descriptor, &opened) != 0 || S_ISDIR(opened.st_mode)) {
        close(descriptor);
        lastError = ERROR_ACCESS_DENIED;
        return INVALID_HANDLE_VALUE;
    }
    // Only a file that has bytes is cut: ext4 writes a file that was cut to zero length out to
    // disk when it is closed, which a fresh temporary file (GetTempFileNameA made it) never needs.
    bool truncates = disposition == CREATE_ALWAYS || disposition == TRUNCATE_EXISTING;
    if (truncates && opened.st_size != 0 && ftruncate(descriptor, 0) != 0) {
        lastError = Win32ErrorOf(errno);
        close(descriptor);
        return INVALID_HANDLE_VALUE;
    }
    if (flagsAndAttributes & FILE_FLAG_DELETE_ON_CLOSE)
        unlink(path);
    else
        OpenFilesOfProcess().Add(descriptor, opened, access, share);
    bool reportsExisting = disposition == CREATE_ALWAYS || disposition == OPEN_ALWAYS;
    lastError = reportsExisting && existed ? ERROR_ALREADY_EXISTS : NO_ERROR;
    return HandleOf(descriptor);
}

BOOL CloseHandle(HANDLE handle) {
    OpenFilesOfProcess().Remove(DescriptorOf(handle));
    if (close(DescriptorOf(handle)) != 0)
        return FailWithErrno();
    return TRUE;
}

BOOL ReadFile(HANDLE handle, void* buffer, DWORD count, DWORD* countRead, void*) {
    DWORD total = 0;
    if (countRead)
        *countRead = 0;
    while (total < count) {
        ssize_t got = read(DescriptorOf(handle), static_cast<char*>(buffer) + total, count - total);
        if (got < 0 && errno == EINTR)
            continue;
        if (got < 0)
            return FailWithErrnoOfHandle(DescriptorOf(handle));
        if (got == 0)
            break;
        total += static_cast<DWORD>(got);
    }
    if (countRead)
        *countRead = total;
    return TRUE;
}

BOOL WriteFile(HANDLE handle, const void* buffer, DWORD count, DWORD* countWritten, void*) {
    DWORD total = 0;
    if (countWritten)
        *countWritten = 0;
    while (total < count) {
        ssize_t put =
            write(DescriptorOf(handle), static_cast<const char*>(buffer) + total, count - total);
        if (put < 0 && errno == EINTR)
            continue;
        if (put < 0)
            return FailWithErrnoOfHandle(DescriptorOf(handle));
        total += static_cast<DWORD>(put);
        if (countWritten)
            *countWritten = total;
    }
    return TRUE;
}

DWORD SetFilePointer(HANDLE handle, LONG distanceLow, LONG* distanceHigh, DWORD method) {
    std::int64_t distance =
        distanceHigh ? static_cast<std::int64_t>(
                           (static_cast<std::uint64_t>(static_cast<DWORD>(*distanceHigh)) << 32) |
                           static_cast<DWORD>(distanceLow))
                     : static_cast<std::int64_t>(distanceLow);
    int whence = method == FILE_BEGIN ? SEEK_SET : method == FILE_CURRENT ? SEEK_CUR : SEEK_END;
    int descriptor = DescriptorOf(handle);
    off_t current = lseek(descriptor, 0, SEEK_CUR);
    if (current < 0) {
        FailWithErrno();
        return INVALID_SET_FILE_POINTER;
    }
    std::int64_t base = whence == SEEK_SET ? 0 : current;
    if (whence == SEEK_END) {
        struct stat status {};
        if (fstat(descriptor, &status) != 0) {
            FailWithErrno();
            return INVALID_SET_FILE_POINTER;
        }
        base = status.st_size;
    }
    std::int64_t target = base + distance;
    if (target < 0) {
        lastError = ERROR_NEGATIVE_SEEK;
        return INVALID_SET_FILE_POINTER;
    }
    if (lseek(descriptor, static_cast<off_t>(target), SEEK_SET) < 0) {
        FailWithErrno();
        return INVALID_SET_FILE_POINTER;
    }
    if (distanceHigh)
        *distanceHigh = static_cast<LONG>(static_cast<std::uint64_t>(target) >> 32);
    lastError = NO_ERROR;
    return static_cast<DWORD>(target);
}

DWORD GetFileSize(HANDLE handle, DWORD* sizeHigh) {
    struct stat status {};
    if (fstat(DescriptorOf(handle), &status) != 0) {
        FailWithErrno();
        return INVALID_FILE_SIZE;
    }
    std::uint64_t size = static_cast<std::uint64_t>(status.st_size);
    if (sizeHigh)
        *sizeHigh = static_cast<DWORD>(size >> 32);
    lastError = NO_ERROR;
    return static_cast<DWORD>(size);
}

BOOL SetEndOfFile(HANDLE handle) {
    int descriptor = DescriptorOf(handle);
    off_t current = lseek(descriptor, 0, SEEK_CUR);
    if (current < 0)
        return FailWithErrno();
    if (ftruncate(descriptor, current) != 0)
        return FailWithErrnoOfHandle(descriptor);
    return TRUE;
}

BOOL GetFileTime(HANDLE handle, FILETIME* creation, FILETIME* access, FILETIME* write) {
    struct stat status {};
    if (fstat(DescriptorOf(handle), &status) != 0)
        return FailWithErrno();
    // POSIX keeps no creation time; the change time is the nearest stand-in.
    if (creation)
        *creation = FileTimeOf(status.st_ctim);
    if (access)
        *access = FileTimeOf(status.st_atim);
    if (write)
        *write = FileTimeOf(status.st_mtim);
    return TRUE;
}

BOOL SetFileTime(HANDLE handle, const FILETIME*, const FILETIME* access, const FILETIME* write) {
    struct timespec times[2] = {TimespecOf(access), TimespecOf(write)};
    if (futimens(DescriptorOf(handle), times) != 0)
        return FailWithErrno();
    return TRUE;
}

DWORD GetFileAttributesA(const char* path) {
    struct stat status {};
    if (stat(path, &status) != 0) {
        FailWithErrnoOfPath(path);
        return INVALID_FILE_ATTRIBUTES;
    }
    if (S_ISDIR(status.st_mode))
        return FILE_ATTRIBUTE_DIRECTORY;
    return (status.st_mode & S_IWUSR) ? FILE_ATTRIBUTE_NORMAL : FILE_ATTRIBUTE_READONLY;
}

BOOL CreateDirectoryA(const char* path, LPSECURITY_ATTRIBUTES) {
    if (mkdir(path, 0755) != 0)
        return FailWithErrnoOfPath(path);
    return TRUE;
}

BOOL RemoveDirectoryA(const char* path) {
    if (rmdir(path) != 0)
        return FailWithErrnoOfPath(path);
    return TRUE;
}

BOOL DeleteFileA(const char* path) {
    struct stat status {};
    if (lstat(path, &status) != 0)
        return FailWithErrnoOfPath(path);
    // A folder is no file, and a read-only file is not deleted (POSIX would let its folder's
    // owner do both).
    if (S_ISDIR(status.st_mode) || (S_ISREG(status.st_mode) && !(status.st_mode & S_IWUSR)))
        return Fail(ERROR_ACCESS_DENIED);
    if (OpenFilesOfProcess().KeepsFromDeletion(status))
        return Fail(ERROR_SHARING_VIOLATION);
    if (unlink(path) != 0)
        return FailWithErrnoOfPath(path);
    return TRUE;
}

DWORD GetTempPathA(DWORD size, char* buffer) {
    const char* folder = getenv("TMPDIR");
    std::string path = folder && *folder ? folder : "/tmp";
    if (path.back() != '/')
        path += '/';
    if (path.size() + 1 > size)
        return static_cast<DWORD>(path.size() + 1);
    memcpy(buffer, path.c_str(), path.size() + 1);
    return static_cast<DWORD>(path.size());
}

UINT GetTempFileNameA(const char* folder, const char* prefix, UINT unique, char* name) {
    std::string path = folder;
    if (path.empty() || path.back() != '/')
        path += '/';
    path.append(prefix, strnlen(prefix, 3));
    if (unique != 0) {
        char suffix[16];
        snprintf(suffix, sizeof suffix, "%04X.tmp", unique & 0xFFFF);
        path += suffix;
    } else {
        path += "XXXXXX";
    }
    if (path.size() + 1 > MAX_PATH) {
        lastError = ERROR_FILENAME_EXCED_RANGE;
        return 0;
    }
    std::string writable = path;
    if (unique == 0) {
        int descriptor = mkstemp(writable.data());
        if (descriptor < 0)
            return FailWithErrno();
        close(descriptor);
    }
    memcpy(name, writable.c_str(), writable.size() + 1);
    return unique != 0 ? unique : 1;
}

DWORD GetLastError() {
    return lastError;
}

void SetLastError(DWORD error) {
    lastError = error;
}

BOOL IsDBCSLeadByte(BYTE byte) {
    return IsCp932LeadByte(byte) ? TRUE : FALSE;
}

int _stricmp(const char* a, const char* b) {
    auto lower = [](unsigned char c) { return c >= 'A' && c <= 'Z' ? c + ('a' - 'A') : c; };
    const unsigned char* x = reinterpret_cast<const unsigned char*>(a);
    const unsigned char* y = reinterpret_cast<const unsigned char*>(b);
    while (*x && lower(*x) == lower(*y)) {
        ++x;
        ++y;
    }
    return lower(*x) - lower(*y);
}
