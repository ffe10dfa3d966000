// Kelvane prepares a machine for conversions: it starts the printer set-up script
// that suits the operating system, gives it ten seconds, and then registers the
// add-in library. It shows nothing, reads no command line and always ends with 0.

#include "PrinterSetup.h"

#include <cerrno>
#include <climits>
#include <ctime>
#include <dlfcn.h>
#include <fcntl.h>
#include <spawn.h>
#include <sys/utsname.h>
#include <unistd.h>

extern char** environ;

namespace {

std::string ownExecutable()
{
    char path[PATH_MAX];
    const ssize_t length = ::readlink("/proc/self/exe", path, sizeof path);
    return length > 0 && static_cast<std::size_t>(length) < sizeof path
               ? std::string(path, static_cast<std::size_t>(length))
               : std::string();
}

// Starts the script with /bin/sh, detached and without a terminal: its own session,
// standard input and output on /dev/null. It keeps Kelvane's current directory and
// environment. Nothing waits for it.
void startHidden(const std::string& script)
{
    posix_spawn_file_actions_t files;
    posix_spawnattr_t attributes;
    if (::posix_spawn_file_actions_init(&files) != 0)
        return;
    if (::posix_spawnattr_init(&attributes) != 0) {
        ::posix_spawn_file_actions_destroy(&files);
        return;
    }
    ::posix_spawn_file_actions_addopen(&files, STDIN_FILENO, "/dev/null", O_RDONLY, 0);
    ::posix_spawn_file_actions_addopen(&files, STDOUT_FILENO, "/dev/null", O_WRONLY, 0);
    ::posix_spawn_file_actions_addopen(&files, STDERR_FILENO, "/dev/null", O_WRONLY, 0);
    ::posix_spawnattr_setflags(&attributes, POSIX_SPAWN_SETSID);
    char shell[] = "/bin/sh";
    std::string path = script;
    char* arguments[] = {shell, path.data(), nullptr};
    pid_t child = 0;
    ::posix_spawn(&child, shell, &files, &attributes, arguments, environ);
    ::posix_spawnattr_destroy(&attributes);
    ::posix_spawn_file_actions_destroy(&files);
}

void sleepMilliseconds(long milliseconds)
{
    timespec left{milliseconds / 1000, (milliseconds % 1000) * 1000000};
    while (::nanosleep(&left, &left) != 0 && errno == EINTR) {
    }
}

} // namespace

int main()
{
    struct utsname system
    {
    };
    const int major = ::uname(&system) == 0 ? majorVersionOf(system.release) : 0;
    // Without its own path Kelvane starts nothing rather than a script of that name
    // from wherever it was started.
    const std::string folder = programFolderOf(ownExecutable());
    if (!folder.empty())
        startHidden(folder + printerScriptFor(major));
    sleepMilliseconds(10000);

    // By bare name: the executable's run path ($ORIGIN) puts the program folder
    // first, then the system's library search order applies.
    void* addIn = ::dlopen("QuirrelAddonExcel.so", RTLD_NOW | RTLD_LOCAL);
    if (addIn == nullptr)
        return 0;
    using RegisterFunction = long (*)();
    if (void* symbol = ::dlsym(addIn, "DllRegisterServer")) {
        const auto registerServer = reinterpret_cast<RegisterFunction>(symbol);
        registerServer();
    }
    ::dlclose(addIn);
    return 0;
}
