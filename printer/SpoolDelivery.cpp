#include "SpoolDelivery.h"

#include "WorkFolder.h"

#include <cups/backend.h>

#include <array>
#include <cerrno>
#include <csignal>
#include <cstring>
#include <fcntl.h>
#include <sys/random.h>
#include <sys/stat.h>
#include <unistd.h>

namespace {

// The temporary file being written, for removeFileInProgress().
volatile sig_atomic_t inProgressFolder = -1;
std::array<char, 64> inProgressName{};

class FileDescriptor
{
public:
    explicit FileDescriptor(int fd = -1) : m_fd(fd) {}
    FileDescriptor(const FileDescriptor&) = delete;
    FileDescriptor& operator=(const FileDescriptor&) = delete;
    ~FileDescriptor()
    {
        if (m_fd >= 0)
            ::close(m_fd);
    }
    int get() const { return m_fd; }
    int release()
    {
        const int fd = m_fd;
        m_fd = -1;
        return fd;
    }

private:
    int m_fd;
};

std::string systemError(const std::string& what)
{
    return what + ": " + std::strerror(errno);
}

// Creates a file that nobody else can have prepared: a random name, O_EXCL (which
// refuses an existing name, a link included) and O_NOFOLLOW.
int createTemporary(int folder, const char* base, std::string& name)
{
    for (int attempt = 0; attempt < 16; ++attempt) {
        std::array<unsigned char, 8> random{};
        if (::getrandom(random.data(), random.size(), 0) != static_cast<ssize_t>(random.size()))
            return -1;
        static constexpr char hex[] = "0123456789abcdef";
        name = std::string(".") + base + ".";
        for (unsigned char byte : random) {
            name += hex[byte >> 4];
            name += hex[byte & 15];
        }
        const int fd = ::openat(folder, name.c_str(),
                                O_WRONLY | O_CREAT | O_EXCL | O_NOFOLLOW | O_CLOEXEC, 0600);
        if (fd >= 0 || errno != EEXIST)
            return fd;
    }
    return -1;
}

bool writeAll(int fd, const char* data, std::size_t size)
{
    while (size > 0) {
        const ssize_t written = ::write(fd, data, size);
        if (written < 0 && errno == EINTR)
            continue;
        if (written <= 0)
            return false;
        data += written;
        size -= static_cast<std::size_t>(written);
    }
    return true;
}

// Fills a temporary file from the feed and renames it over finalName. The feed
// returns the number of bytes it put into the buffer, 0 at the end, -1 on error.
// beforeRename runs just before the rename; an empty feed is refused.
PlainStatus replaceAtomically(int folder, const char* finalName,
                              const std::function<ssize_t(char*, std::size_t)>& feed,
                              const std::function<void()>& beforeRename = {})
{
    std::string name;
    FileDescriptor file(createTemporary(folder, finalName, name));
    if (file.get() < 0)
        return PlainStatus::failure(
            systemError(std::string("cannot create a temporary file for ") + finalName));
    if (name.size() < inProgressName.size()) {
        std::memcpy(inProgressName.data(), name.c_str(), name.size() + 1);
        inProgressFolder = folder;
    }
    const auto abandon = [&](std::string why) {
        const int saved = errno;
        ::unlinkat(folder, name.c_str(), 0);
        inProgressFolder = -1;
        errno = saved;
        return PlainStatus::failure(std::move(why));
    };

    std::array<char, 65536> buffer{};
    std::size_t total = 0;
    for (;;) {
        const ssize_t got = feed(buffer.data(), buffer.size());
        if (got < 0)
            return abandon(systemError("cannot read the job"));
        if (got == 0)
            break;
        if (!writeAll(file.get(), buffer.data(), static_cast<std::size_t>(got)))
            return abandon(systemError(std::string("cannot write ") + finalName));
        total += static_cast<std::size_t>(got);
    }
    if (total == 0)
        return abandon("the job is empty");
    if (::fchmod(file.get(), 0600) != 0 || ::fsync(file.get()) != 0 || ::close(file.release()) != 0)
        return abandon(systemError(std::string("cannot finish ") + finalName));
    if (beforeRename)
        beforeRename();
    if (::renameat(folder, name.c_str(), folder, finalName) != 0)
        return abandon(systemError(std::string("cannot replace ") + finalName));
    inProgressFolder = -1;
    return {};
}

} // namespace

DeliveryServices systemDeliveryServices()
{
    return {findAccount, becomeAccount, [](uid_t uid) { return WorkFolder::pathFor(uid); }};
}

DeliveryOutcome deliverJob(const BackendJob& job, int inputFd, const DeliveryServices& services)
{
    const auto cancel = [&job](const std::string& why) {
        return DeliveryOutcome{CUPS_BACKEND_CANCEL, "job " + std::to_string(job.id) +
                                                        " of user \"" + job.user +
                                                        "\" not delivered: " + why};
    };

    const std::optional<Account> account = services.findAccount(job.user);
    if (!account)
        return cancel("no such user");
    if (const PlainStatus became = services.becomeAccount(*account); !became.ok())
        return cancel("cannot take on the user's identity (" + became.message() + ")");

    // From here on every file access happens with the user's own rights.
    const std::string folderPath = services.workFolderFor(account->uid);
    const PlainStatus prepared = WorkFolder::ensure(account->uid, folderPath);
    if (!prepared.ok())
        return cancel(prepared.message());
    FileDescriptor folder(
        ::open(folderPath.c_str(), O_RDONLY | O_DIRECTORY | O_NOFOLLOW | O_CLOEXEC));
    if (folder.get() < 0)
        return cancel(systemError("cannot open " + folderPath));
    // The folder that was opened is the one that was checked.
    struct stat opened
    {
    };
    if (::fstat(folder.get(), &opened) != 0 || opened.st_uid != account->uid ||
        (opened.st_mode & 077) != 0)
        return cancel("the work folder " + folderPath + " changed while it was being opened");

    const auto readInput = [inputFd](char* data, std::size_t size) {
        for (;;) {
            const ssize_t got = ::read(inputFd, data, size);
            if (got >= 0 || errno != EINTR)
                return got;
        }
    };
    const auto dropOldRecord = [&folder] {
        ::unlinkat(folder.get(), WorkFolder::JobRecordName, 0);
    };
    if (const PlainStatus spooled =
            replaceAtomically(folder.get(), WorkFolder::SpoolFileName, readInput, dropOldRecord);
        !spooled.ok())
        return cancel(spooled.message());

    const std::string record = formatJobRecord(job);
    std::size_t offset = 0;
    const auto readRecord = [&record, &offset](char* data, std::size_t size) {
        const std::size_t count = std::min(size, record.size() - offset);
        std::memcpy(data, record.data() + offset, count);
        offset += count;
        return static_cast<ssize_t>(count);
    };
    if (const PlainStatus recorded =
            replaceAtomically(folder.get(), WorkFolder::JobRecordName, readRecord);
        !recorded.ok()) {
        // A spool file without its record would only be waited for in vain.
        ::unlinkat(folder.get(), WorkFolder::SpoolFileName, 0);
        return cancel(recorded.message());
    }
    return {CUPS_BACKEND_OK, {}};
}

void removeFileInProgress()
{
    const int folder = inProgressFolder;
    if (folder >= 0)
        ::unlinkat(folder, inProgressName.data(), 0);
}
