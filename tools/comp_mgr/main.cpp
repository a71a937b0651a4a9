// comp_mgr / COMP_MGR.EXE: the component manager tool.
#include <iostream>
#include <string>
#include <vector>

#include "tool.h"

int main(int argc, char** argv) {
    std::vector<std::string> words(argv + (argc > 0 ? 1 : 0), argv + argc);
    try {
        return comp_mgr_tool::RunTool(words, argc > 0 ? argv[0] : nullptr, std::cin, std::cout, std::cerr);
    } catch (const std::exception& e) {
        std::cout.flush();
        std::cerr << "comp_mgr: " << e.what() << "\n";
        return 1;
    }
}
