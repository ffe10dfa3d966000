#pragma once

#include <string>

// The choice Kelvane makes before it starts the printer set-up: which script
// suits this operating system, and where that script lies.

// The major number at the start of an operating-system release text such as
// "6.1.0-13-amd64"; 0 when the text does not start with a number.
int majorVersionOf(const std::string& release);

// "PrinterVista.bat" for major version 6, "PrinterXP.bat" for any other.
std::string printerScriptFor(int majorVersion);

// The folder of an executable's path, cut after its last '/' (the '/' kept).
std::string programFolderOf(const std::string& executablePath);
