#pragma once

#include <QString>

// The login name of the current user, as CUPS and the printer backend name it.
QString CurrentUserName();

// The user's full name from the account (its first comma-separated part), or the
// login name when the account gives none: the default author of a PDF.
QString CurrentUserFullName();
