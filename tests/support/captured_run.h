// Runs the command line in this process, as the program would, and captures what it prints.
#pragma once

#include <cstdio>
#include <string>
#include <vector>

#include "app/command_runner.h"

struct CapturedRun {
    int status = -1;
    std::string out;
    std::string err;
};

inline std::string ReadBack(std::FILE* file) {
    std::string text;
    std::rewind(file);
    char buffer[4096];
    for (std::size_t n; (n = std::fread(buffer, 1, sizeof buffer, file)) > 0;) text.append(buffer, n);
    std::fclose(file);
    return text;
}

inline CapturedRun RunCaptured(const std::vector<std::string>& args, ProgramPlatform& program) {
    std::FILE* out = std::tmpfile();
    std::FILE* err = std::tmpfile();
    CapturedRun run;
    run.status = RunCommandLine(args, program, out, err);
    run.out = ReadBack(out);
    run.err = ReadBack(err);
    return run;
}
