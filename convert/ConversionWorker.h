#pragma once

#include "Converter.h"

#include <functional>
#include <memory>
#include <thread>

class WorkerPage;

using ConverterFunction = std::function<ConverterResult(
    const ConversionTarget& target, const QString& sourcePath, ConverterServices& services)>;

// The converters of the dispatch table.
struct ConverterTable
{
    ConverterFunction excel;      // "xls", "xlsx"
    ConverterFunction powerPoint; // "ppt", "pptx"
    ConverterFunction image;      // "jpg", "bmp", "png", "gif"
    ConverterFunction word;       // anything else, upper-case forms of the above included

    // The converter for a source path, chosen by its extension compared exactly.
    const ConverterFunction& forPath(const QString& sourcePath) const;
};

// A run over the page's whole file list: output naming, the replace question, the
// converter for each extension, the result list, progress and status, and the end
// of the run. Returns when the run has ended.
void ConversionWorker(WorkerPage& page, const ConversionTarget& target,
                      const ConverterTable& converters, ConverterServices& services);

// The run start: captures the settings and the destination, sets the finish
// dialog's folder, and starts ConversionWorker on a thread of its own. The returned
// thread is joined by its owner (a run ends by itself; joining only waits for it).
// `finished`, when given, runs on the worker's thread once the run has ended and the
// worker will touch the page no more; the windows use it to join the thread.
std::thread StartConversionRun(WorkerPage& page, const ConverterTable& converters,
                               ConverterServices& services, std::function<void()> finished = {});
