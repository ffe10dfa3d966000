// The spreadsheet add-in library. Registering it records, for the user who runs
// the registration, where the library lies: one small file,
//   $XDG_CONFIG_HOME/Tabloria/addins/QuirrelAddonExcel   (default ~/.config)
// holding "name=QuirrelAddonExcel" and "library=<full path>". Registering again
// rewrites the file; the file is replaced atomically.

#include <cerrno>
#include <cstdlib>
#include <dlfcn.h>
#include <fcntl.h>
#include <pwd.h>
#include <string>
#include <sys/stat.h>
#include <unistd.h>

namespace {

constexpr long Registered = 0;                                      // S_OK
constexpr long RegistrationFailed = static_cast<long>(0x80004005L); // E_FAIL

// Any object of this library will do to find the library's own path.
const char libraryTag = 0;

std::string configHome()
{
    if (const char* xdg = std::getenv("XDG_CONFIG_HOME"); xdg != nullptr && xdg[0] == '/')
        return xdg;
    if (const char* home = std::getenv("HOME"); home != nullptr && home[0] == '/')
        return std::string(home) + "/.config";
    if (const passwd* account = ::getpwuid(::getuid());
        account != nullptr && account->pw_dir != nullptr)
        return std::string(account->pw_dir) + "/.config";
    return {};
}

bool makeFolder(const std::string& path)
{
    return ::mkdir(path.c_str(), 0700) == 0 || errno == EEXIST;
}

bool writeReplacing(const std::string& path, const std::string& text)
{
    const std::string temporary = path + ".new";
    ::unlink(temporary.c_str());
    const int fd =
        ::open(temporary.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_NOFOLLOW | O_CLOEXEC, 0600);
    if (fd < 0)
        return false;
    const bool written = ::write(fd, text.data(), text.size()) == static_cast<ssize_t>(text.size());
    if (::close(fd) != 0 || !written || ::rename(temporary.c_str(), path.c_str()) != 0) {
        ::unlink(temporary.c_str());
        return false;
    }
    return true;
}

} // namespace

extern "C" __attribute__((visibility("default"))) long DllRegisterServer()
{
    Dl_info self{};
    if (::dladdr(&libraryTag, &self) == 0 || self.dli_fname == nullptr)
        return RegistrationFailed;
    char library[4096];
    if (::realpath(self.dli_fname, library) == nullptr)
        return RegistrationFailed;

    const std::string config = configHome();
    if (config.empty())
        return RegistrationFailed;
    const std::string tabloria = config + "/Tabloria";
    const std::string addins = tabloria + "/addins";
    if (!makeFolder(config) || !makeFolder(tabloria) || !makeFolder(addins))
        return RegistrationFailed;
    const std::string entry = std::string("name=QuirrelAddonExcel\nlibrary=") + library + "\n";
    return writeReplacing(addins + "/QuirrelAddonExcel", entry) ? Registered : RegistrationFailed;
}
