#pragma once

#include <QString>

// The folder of the running executable, without a trailing slash.
QString programFolder();
