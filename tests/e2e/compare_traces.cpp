// compare_traces EXPECTED.jsonl ACTUAL.jsonl: exit 0 when the traces agree, 1 with the first
// difference when not, 2 when a file cannot be read.

#include <fstream>
#include <iostream>

#include "trace_compare.h"

int main(int argc, char** argv) {
    if (argc != 3) {
        std::cerr << "usage: compare_traces EXPECTED.jsonl ACTUAL.jsonl\n";
        return 2;
    }
    std::ifstream expected(argv[1]);
    std::ifstream actual(argv[2]);
    if (!expected || !actual) {
        std::cerr << "compare_traces: cannot read " << (!expected ? argv[1] : argv[2]) << "\n";
        return 2;
    }
    const trace_compare::Result result = trace_compare::compareTraces(expected, actual);
    if (!result.same) {
        std::cerr << "traces differ after " << result.lines << " agreeing lines: " << result.message << "\n";
        return 1;
    }
    // Two empty traces agree, but then the plug-in never called the game: that is no pass.
    if (result.lines == 0) {
        std::cerr << "compare_traces: both traces are empty\n";
        return 1;
    }
    std::cout << result.lines << " native calls agree\n";
    return 0;
}
