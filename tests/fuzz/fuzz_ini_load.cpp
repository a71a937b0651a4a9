// vnt_Compdb.ini and VNTInstallEntry.ini may be damaged or hand-edited:
// loading any bytes must not crash or leak, saving what was loaded must
// work, and the saved file must read back to the same sections; comparing
// it section by section (as restore does) must hold too; and the text read
// in pieces, as the load reads it, parses as the whole text does.
//
// Input: the database file's bytes, optionally followed by "|||" and the
// bytes of VNTInstallEntry.ini (without it the host's installation is
// missing from nowhere: no backup file exists).
#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>
#include <string_view>

#include "support/ini_grammar.h"
#include "support/ini_sections.h"
#include "support/saved_names.h"
#include "support/test_catalog.h"
#include "support/test_machine.h"
#include "support/whole_lines.h"

using namespace comp_mgr;
using testing_support::SavedNames;
using testing_support::TestCatalog;
using testing_support::TestMachine;

namespace {

// Every section and property ParseIni reads, as one text.
struct Reading {
    std::string told;
    void Parse(std::string_view text) {
        ParseIni(
            text, [&](std::string name) { (told += '[') += name; },
            [&](std::string_view k, std::string_view v) { ((told += '\n').append(k) += '=').append(v) += '\n'; });
    }
};

// The text in pieces whose ends the text's own bytes choose.
void CheckPieces(std::string_view text) {
    Reading whole, pieces;
    whole.Parse(text);
    WholeLines lines([&](std::string_view part) { pieces.Parse(part); });
    std::size_t at = 0;
    while (at < text.size()) {
        const std::size_t n = std::min<std::size_t>(1 + static_cast<unsigned char>(text[at]) % 7, text.size() - at);
        lines.Write(text.substr(at, n));
        at += n;
    }
    lines.Finish();
    if (pieces.told != whole.told) std::abort();
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    std::string_view input(reinterpret_cast<const char*>(data), size);
    TestMachine machine;
    machine.UseStandardLayout();
    std::size_t split = input.find("|||");
    machine.files.Put(TestMachine::kDbPath, std::string(input.substr(0, split)));
    if (split != std::string_view::npos)
        machine.files.Put(TestMachine::kInstallEntryPath, std::string(input.substr(split + 3)));

    // restore's comparison of a copy: a text differs from itself in nothing.
    const std::string original(input.substr(0, split));
    if (!CompareIniSections(original, original).empty()) std::abort();
    CheckPieces(original);

    TestCatalog db(machine.platform);
    std::string message;
    if (db.Load(&message) != 1) std::abort();
    db.WriteInstallEntry();
    db.SetFlags(kFlagModified);
    if (db.Save() != 1) std::abort();

    CompareIniSections(original, machine.files.Get(TestMachine::kDbPath));

    // Read back without a backup, so that only what was saved comes in.
    machine.files.Remove(TestMachine::kInstallEntryPath);
    TestCatalog again(machine.platform);
    if (again.Load(nullptr) != 1) std::abort();
    if (again.installationNames().items() !=
        SavedNames(db.installationNames(), kInstallationPrefix, db.maxInstallationNumber()))
        std::abort();
    if (again.plugInNames().items() != SavedNames(db.plugInNames(), kPlugInPrefix, db.maxPlugInNumber())) std::abort();
    return 0;
}
