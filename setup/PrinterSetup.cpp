#include "PrinterSetup.h"

#include <cctype>

int majorVersionOf(const std::string& release)
{
    int major = 0;
    for (char c : release) {
        if (!std::isdigit(static_cast<unsigned char>(c)))
            break;
        if (major > 100000)
            return 0;
        major = major * 10 + (c - '0');
    }
    return major;
}

std::string printerScriptFor(int majorVersion)
{
    return majorVersion == 6 ? "PrinterVista.bat" : "PrinterXP.bat";
}

std::string programFolderOf(const std::string& executablePath)
{
    const std::size_t slash = executablePath.rfind('/');
    return slash == std::string::npos ? std::string() : executablePath.substr(0, slash + 1);
}
