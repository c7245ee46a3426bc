// Stands in for a web browser in tests, which copy it under a browser's executable name.
//   fake_browser                 stays running (at most 60 s), like a browser left open
//   fake_browser <argument>...   appends each argument as a line, then a line "--", to the file
//                                named by FAKE_BROWSER_LOG, and exits
#include <cstdio>
#include <cstdlib>

#include <unistd.h>

int main(int argc, char** argv)
{
    if (argc < 2)
        return sleep(60);
    const char* logPath = std::getenv("FAKE_BROWSER_LOG");
    std::FILE* log = logPath ? std::fopen(logPath, "a") : nullptr;
    if (!log)
        return 1;
    for (int i = 1; i < argc; ++i)
        std::fprintf(log, "%s\n", argv[i]);
    std::fprintf(log, "--\n");
    return std::fclose(log) == 0 ? 0 : 1;
}
