// tilelink-rules: link checks, the first linkable pair and whole-board clearing for a
// board read from standard input.
#include <iostream>
#include <string>
#include <vector>

#include "tools/rules/RulesCommand.h"

int main(int argc, char** argv) {
    std::vector<std::string> args(argv + 1, argv + argc);
    return RulesCommand::Run(args, std::cin, std::cout, std::cerr);
}
