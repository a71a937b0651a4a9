// The copies of the catalog beside it: which names count as copies, how a copy
// differs from the catalog section by section, and a restore that keeps the
// catalog it replaces.
#include <string>
#include <vector>

#include "app/component_manager_app.h"
#include "catalog_test_util.h"
#include "services/records/catalog_copies.h"

namespace comp_mgr {
namespace testing_support {
namespace {

const char kDb[] = "C:\\Vantrel\\db\\";

TEST(CatalogCopies, ListsTheCopiesTheLibraryKeepsAndNothingElse) {
    TestMachine machine;
    machine.UseStandardLayout();
    const struct {
        const char* name;
        std::string content;
        const char* kind;  // null: not listed
    } files[] = {
        {"vnt_Compdb.ini", "[A]\r\nx=1\r\n  [B]\r\n", "catalog"},
        {"vnt_Compdb.bak", "[A]\r\n", "backup"},
        {"vnt_Compdb.20061204-150433.ini", "", "kept"},
        {"vnt_Compdb.20061204-150433-2.ini", "[A]\r\n[B]\r\n[C]\r\n", "kept"},
        {"vnt_Compdb.20061204-150433-10.ini", "", "kept"},
        {"vnt_Compdb.20061204-150432.ini", "", "kept"},
        {"vnt_Compdb.damaged-20061204-150433.ini", std::string(9, '\0'), "damaged"},
        {"vnt_Compdb.status", "x", nullptr},
        {"vnt_Compdb.2006-12-04.ini", "[A]", nullptr},
        {"vnt_Compdb.damaged-.ini", "[A]", nullptr},
        {"other.20061204-150433.ini", "[A]", nullptr},
    };
    for (const auto& f : files) machine.files.Put(std::string(kDb) + f.name, f.content);
    ComponentManagerApp app(machine.platform);
    app.InitInstance();
    const std::vector<CatalogCopy> copies = CatalogCopies(app.database(), machine.platform).List();
    std::vector<std::string> listed;
    for (const CatalogCopy& c : copies)
        listed.push_back(c.kind + " " + c.path.substr(sizeof kDb - 1) + " " + std::to_string(c.bytes) + " " +
                         std::to_string(c.sections));
    // In the order they were kept: by time, then the first copy of a second
    // before "-2" and "-2" before "-10".
    EXPECT_EQ(listed,
              (std::vector<std::string>{
                  "catalog vnt_Compdb.ini 17 2", "backup vnt_Compdb.bak 5 1", "kept vnt_Compdb.20061204-150432.ini 0 0",
                  "kept vnt_Compdb.20061204-150433.ini 0 0", "kept vnt_Compdb.20061204-150433-2.ini 15 3",
                  "kept vnt_Compdb.20061204-150433-10.ini 0 0", "damaged vnt_Compdb.damaged-20061204-150433.ini 9 0"}));
}

TEST(CatalogCopies, TheDifferenceIsTakenSectionBySectionAndKeyByKey) {
    TestMachine machine;
    machine.UseStandardLayout();
    machine.files.Put(TestMachine::kDbPath, "[Same]\r\na=1\r\n[Gone]\r\na=1\r\n[Changed]\r\na=1\r\nb = 2\r\nc=3\r\n");
    machine.files.Put(TestMachine::kBakPath, "[Changed]\r\nb=2\r\nc=4\r\nd=5\r\n[Same]\r\na=1\r\n[New]\r\n");
    ComponentManagerApp app(machine.platform);
    app.InitInstance();
    CatalogCopies copies(app.database(), machine.platform);
    std::vector<SectionDifference> differences;
    std::string why;
    ASSERT_TRUE(copies.Compare("", &differences, &why));
    EXPECT_EQ(DifferencesText(differences), "-|Gone|\n~|Changed|a,c,d\n+|New|\n");
    EXPECT_FALSE(copies.Compare("missing.ini", &differences, &why));
    EXPECT_EQ(why, "C:\\Vantrel\\db\\missing.ini cannot be read");
}

}  // namespace
}  // namespace testing_support
}  // namespace comp_mgr
