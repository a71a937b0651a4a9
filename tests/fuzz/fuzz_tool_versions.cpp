// The tool versions report takes outside input from the version-printing
// tool's answer and from registry values the tool chain's installers wrote.
// Any bytes must give a report without a crash, each line ending in CR LF,
// the kernel content line (the tool's answer) holding no other line break.
//
// Input: the tool's answer, optionally followed by "|||" and the family's
// Build Tools value (a registry key path with "|" for "\").
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>
#include <string_view>

#include "services/setup/tool_versions_report.h"
#include "support/test_machine.h"

using namespace comp_mgr;
using testing_support::TestMachine;

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    std::string_view input(reinterpret_cast<const char*>(data), size);
    const std::size_t split = input.find("|||");
    const std::string answer(input.substr(0, split));
    const std::string tools = split == std::string_view::npos
                                  ? std::string("SOFTWARE\\Brimwell\\CodeGen\\CGT_C:|Brimwell|cgtools|c6000")
                                  : std::string(input.substr(split + 3));
    TestMachine machine;
    const std::string product = "SOFTWARE\\Brimwell\\VNT3";
    machine.SetMachineString(product, "VN_APP", "C:\\Brimwell\\VNT3\\bin\\vn_app.exe");
    machine.SetMachineString(product + "\\C6000\\Build Tools", "", tools);
    machine.SetMachineString(product + "\\Packages\\C6000\\LUMA_5", "", tools);
    if (!tools.empty() && tools.find('\0') == std::string::npos) {
        machine.SetMachineString(tools, "ProductName", "Luma Tools");
        machine.SetMachineString(tools, "Version", "5.2");
    }
    machine.files.Put("C:\\Brimwell\\VNT3\\bin\\vn_app.exe", "host");
    machine.files.Put("C:\\Brimwell\\cgtools\\c6000\\cl6x.exe", "compiler");
    machine.files.Put("C:\\Brimwell\\luma\\luma.a64", "kernel");
    machine.files.Put("C:\\Brimwell\\bin\\vers.exe", "tool");
    machine.process.programs["C:\\Brimwell\\bin\\vers.exe"] = {answer, false};

    ToolVersionsReport report(machine.platform, nullptr);
    report.Run("C:\\Brimwell\\VNT3\\bin\\vn_app.exe", "VN_App_Tool_Versions.txt");
    for (const std::string& line : report.lines()) {
        if (line.size() < 2 || line.compare(line.size() - 2, 2, "\r\n") != 0) std::abort();
        const bool kernel = line.find("Target Content (Lumakern) : ") != std::string::npos;
        if (kernel && line.find_first_of("\r\n") != line.size() - 2) std::abort();
    }
    return 0;
}
