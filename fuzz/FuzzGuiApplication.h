#pragma once

// For fuzz targets that draw: text needs the font database, which needs an application object.
// Included by exactly one source of a target. The object lives until the process ends:
// destroying it after Qt's own globals crashes.
#include <QGuiApplication>

extern "C" int LLVMFuzzerInitialize(int* argc, char*** argv) {
    static int count = 1;
    static char* arguments[] = {(*argv)[0], nullptr};
    (void)argc;
    new QGuiApplication(count, arguments);
    return 0;
}
