#pragma once

#include "GhostscriptCommand.h"

class ProcessRunner;

// Finds the Ghostscript to run: gs/bin/gs below the program folder when one is
// shipped there, otherwise gs from the system. Whether it still has .setpdfwrite
// is asked of the program itself, once per program path for the life of the process.
GhostscriptFacts LocateGhostscript(const QString& programFolder, ProcessRunner& runner);
