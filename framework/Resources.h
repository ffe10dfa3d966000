#pragma once

#include <QIcon>
#include <QImage>
#include <QString>

// The program's own resources (dialog templates, string table, icon and bitmaps),
// compiled into the framework from res/.
QString LoadResString(int id);
QImage LoadResBitmap(int id);
QIcon LoadResIcon(int id);

// Resource identifiers the windows use.
constexpr int IDR_MAINFRAME = 128;
constexpr int IDS_ABOUTBOX = 101;
constexpr int IDB_SAVEFOLDER = 164;
constexpr int IDB_LOGO = 165;
