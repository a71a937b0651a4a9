// Opening the update, support and local registration pages: the address and
// its query, the redirect file for long addresses, and the folders of a Sku.
#include "advisor_test_util.h"
#include "catalog/comma_list.h"
#include "services/advisor/url_text.h"

namespace comp_mgr {
namespace testing_support {
namespace {

constexpr const char* kKey = "VntInstallation_1";
const std::string kRedirectHead = "<html><head><meta http-equiv=\"refresh\" content=\"1;url=";
const std::string kRedirectTail = "\"></head><body></body></html>";

class AdvisorLaunchTest : public AdvisorTest {
protected:
    void Bound(const std::string& urlBase = "h.test", const std::string& section = "apps/advisor") {
        Load("UrlBase=" + urlBase + "\r\nSection=" + section + "\r\n");
        web->BindInstallation(kKey);
        web->GetWebSettingWithDefault(kKey);
    }
    std::string Query(const std::vector<std::string>& products, const std::string& registration = "R1",
                      const std::string& sku = "SKU") {
        web->SetLaunchState(registration, "Vantrel", sku, "", products);
        std::string url;
        return web->AppendQuery(url) ? url : "<none>";
    }
    std::string Opened() const { return machine.shell.opened.empty() ? "" : machine.shell.opened.back().second; }
};

TEST_F(AdvisorLaunchTest, QueryListsTheFirstProductAndKnownOrUaOnes) {
    Bound();
    struct Case {
        std::vector<std::string> products;
        std::string registration, sku, want;
    } cases[] = {
        {{"XA-ONE", "UA-TWO", "XA-THREE-1.0"},
         "R1",
         "SKU",
         "PR=R1&PID=Vantrel&PI=SKU&tools=XA-ONE,UA-TWO,XA-THREE-1.0"},
        {{"XA-ONE", "UA-TWO", "XA-FOUR"}, "R1", "SKU", "PR=R1&PID=Vantrel&PI=SKU&tools=XA-ONE,UA-TWO"},
        {{"NOT-KNOWN"}, "", "", "PR=&PID=Vantrel&tools=NOT-KNOWN"},
        {{"A", "ua-low", "XA-THREE", "THREE-1.0"}, "R", "S", "PR=R&PID=Vantrel&PI=S&tools=A"},
        {{}, "R", "S", "<none>"},
    };
    for (const auto& c : cases) EXPECT_EQ(Query(c.products, c.registration, c.sku), c.want);
}

TEST_F(AdvisorLaunchTest, QueryValuesAreEncodedOnlyWhereTheyWouldChangeTheQuery) {
    Bound();
    // Values without the five characters or high bytes stay as built.
    EXPECT_EQ(Query({"VNT+PRO_2"}, "R-1,R-2", "VNT+PRO_2"), "PR=R-1,R-2&PID=Vantrel&PI=VNT+PRO_2&tools=VNT+PRO_2");
    EXPECT_EQ(Query({"A&B=C"}, "x#y?z%", "S\xe9"), "PR=x%23y%3Fz%25&PID=Vantrel&PI=S%E9&tools=A%26B%3DC");
    EXPECT_EQ(PercentEncodeQueryValue("\x80\xff"), "%80%FF");
}

TEST_F(AdvisorLaunchTest, UpdatePageOpensAndMarksTheLaunch) {
    Bound();
    web->SetLaunchState("", "Vantrel", "S", "", {"S"});
    web->LaunchPage(kPageUpdate);
    EXPECT_EQ(Opened(), "https://h.test/apps/advisor/register.asp?PR=&PID=Vantrel&PI=S&tools=S");
    EXPECT_EQ(machine.shell.opened.back().first, "open");
    EXPECT_NE(web->launchedMark() & kLaunchedBit, 0u);
}

TEST_F(AdvisorLaunchTest, NothingOpensWithoutProductsAndAFailedShellLeavesNoMark) {
    Bound();
    web->LaunchPage(kPageUpdate);
    EXPECT_TRUE(machine.shell.opened.empty());
    machine.shell.succeed = false;
    web->SetLaunchState("", "Vantrel", "S", "", {"S"});
    web->LaunchPage(kPageUpdate);
    EXPECT_EQ(machine.shell.opened.size(), 1u);
    EXPECT_EQ(web->launchedMark() & kLaunchedBit, 0u);
    web->LaunchPage(3);  // no such page
    EXPECT_EQ(machine.shell.opened.size(), 1u);
}

TEST_F(AdvisorLaunchTest, SupportAndLocalRegistrationPagesLeaveNoMark) {
    Bound();
    ASSERT_EQ(web->WebSupport(kKey), 1);
    EXPECT_EQ(Opened(), "http://support.vendor.test/mail.asp");
    struct Case {
        std::string location, want;
    } cases[] = {
        {"D:\\Root\\a\\b\\tool.exe", "D:\\Root\\docs\\releasenotes\\vnt_registration.html"},
        {"tool.exe", "tool.exe\\docs\\releasenotes\\vnt_registration.html"},
        {"", "\\docs\\releasenotes\\vnt_registration.html"},
        {"\\a\\b", "\\a\\docs\\releasenotes\\vnt_registration.html"},  // a backslash at 0 is never cut
        {"C:\\x.exe", "C:\\docs\\releasenotes\\vnt_registration.html"},
    };
    for (const auto& c : cases) {
        web->SetLaunchState("", "", "", c.location, {});
        ASSERT_EQ(web->WebRegister(), 1);
        EXPECT_EQ(Opened(), c.want) << c.location;
    }
    EXPECT_EQ(web->launchedMark() & kLaunchedBit, 0u);
}

// An update address of exactly `length` characters.
std::string FillTo(std::size_t length, const std::string& head) {
    return std::string(length - head.size(), 'x');
}

TEST_F(AdvisorLaunchTest, LongAddressesGoThroughTheRedirectFile) {
    Bound();
    machine.process.environment["TEMP"] = "C:\\Temp";
    machine.files.MakeFolder("C:\\Temp");
    machine.clock.Set(2006, 12, 4, 15, 4, 33);
    const std::string head = "https://h.test/apps/advisor/register.asp?PR=&PID=Vantrel&tools=";

    web->SetLaunchState("", "Vantrel", "", "", {FillTo(260, head)});
    web->LaunchPage(kPageUpdate);
    EXPECT_EQ(Opened().size(), 260u);

    web->SetLaunchState("", "Vantrel", "", "", {FillTo(261, head)});
    web->LaunchPage(kPageUpdate);
    const std::string file = "C:\\Temp\\~Netbeacon061204150433.html";
    EXPECT_EQ(Opened(), file);
    // The query's ampersands are character references in the attribute.
    const std::string first = machine.files.Get(file);
    EXPECT_EQ(first, kRedirectHead + "https://h.test/apps/advisor/register.asp?PR=&amp;PID=Vantrel&amp;tools=" +
                         FillTo(261, head) + kRedirectTail);

    // A second launch in the same second keeps the first page.
    web->SetLaunchState("", "Vantrel", "", "", {FillTo(300, head)});
    web->LaunchPage(kPageUpdate);
    EXPECT_EQ(Opened(), "C:\\Temp\\~Netbeacon061204150433_2.html");
    EXPECT_EQ(machine.files.Get(file), first);
    web->LaunchPage(kPageUpdate);
    EXPECT_EQ(Opened(), "C:\\Temp\\~Netbeacon061204150433_3.html");
}

TEST_F(AdvisorLaunchTest, TheRedirectFileEscapesTheAddressForItsAttribute) {
    Bound("h.test/\"><script>&", std::string(300, 's'));
    machine.process.environment["TEMP"] = "C:\\Temp";
    machine.files.MakeFolder("C:\\Temp");
    web->SetLaunchState("", "", "", "", {"A"});
    web->LaunchPage(kPageUpdate);
    const std::string page = machine.files.Get(Opened());
    EXPECT_EQ(page, kRedirectHead + "https://h.test/&quot;&gt;&lt;script&gt;&amp;/" + std::string(300, 's') +
                        "/register.asp?PR=&amp;tools=A" + kRedirectTail);

    // An address without those characters is written as it stands.
    config.supportAddress = "http://support.test/" + std::string(300, 'm') + "?a=b";
    web->WebSupport(kKey);
    EXPECT_EQ(machine.files.Get(Opened()), kRedirectHead + config.supportAddress + kRedirectTail);
}

TEST_F(AdvisorLaunchTest, TempFolderFallsBackAndAnUnwritableFolderOpensNothing) {
    Bound("h.test", std::string(300, 's'));
    web->SetLaunchState("", "", "", "", {"A"});
    machine.files.MakeFolder("C:\\TEMP");
    struct Case {
        bool set;
        std::string temp, wantFolder;
    } cases[] = {
        {false, "", "C:\\TEMP"},
        {true, "", "C:\\TEMP"},
        {true, "C:\\Temp", "C:\\Temp"},
        {true, "C:\\" + std::string(257, 'a'), "C:\\TEMP"},  // 260 bytes: no room for the terminator
    };
    for (const auto& c : cases) {
        machine.process.environment.erase("TEMP");
        if (c.set) machine.process.environment["TEMP"] = c.temp;
        machine.files.MakeFolder(c.wantFolder);
        machine.shell.opened.clear();
        web->LaunchPage(kPageUpdate);
        ASSERT_EQ(machine.shell.opened.size(), 1u) << c.temp.size();
        EXPECT_EQ(Opened().compare(0, c.wantFolder.size() + 11, c.wantFolder + "\\~Netbeacon"), 0) << c.temp.size();
    }
    machine.process.environment["TEMP"] = "C:\\Missing";
    machine.shell.opened.clear();
    web->LaunchPage(kPageUpdate);
    EXPECT_TRUE(machine.shell.opened.empty());
}

TEST_F(AdvisorLaunchTest, FoldersOfASkuInKeyListOrder) {
    LoadFile(HostSection() + "Sku=OTHER\r\n" +
             "[VntInstallation_2]\r\nProgLocation=C:\\A\\bin\\x.exe\r\nSku=,X,,Y,X,\r\n"
             "[VntInstallation_3]\r\nProgLocation=D:\\B\\y.exe\r\nSku=Y\r\n"
             "[PlugIn_1]\r\nProgLocation=E:\\p.dll\r\nSku=x, Y\r\n");
    struct Case {
        std::string sku;
        bool found;
        std::string want;
    } cases[] = {
        {"Y", true, "C:\\A\\bin\\|D:\\B\\"},
        {"X", true, "C:\\A\\bin\\|C:\\A\\bin\\"},  // listed twice, empty pieces around
        {"x", true, "E:\\"},
        {" Y", true, "E:\\"},  // pieces are not trimmed
        {"", false, ""},
        {"Z", false, ""},
    };
    for (const auto& c : cases) {
        std::string text = "old";
        EXPECT_EQ(db->FindInstallationsForSku(c.sku, text), c.found) << c.sku;
        EXPECT_EQ(text, c.want) << c.sku;
    }
}

TEST(SplitListTest, DropsEmptyPiecesAndKeepsBlanks) {
    struct Case {
        std::string text;
        std::vector<std::string> want;
    } cases[] = {
        {"", {}}, {",", {}}, {"a", {"a"}}, {",a,,b,", {"a", "b"}}, {" a , b", {" a ", " b"}}, {"a,a", {"a", "a"}},
    };
    for (const auto& c : cases) {
        std::vector<std::string> pieces = {"kept"};
        EXPECT_EQ(SplitList(c.text, ',', pieces), 1);
        pieces.erase(pieces.begin());
        EXPECT_EQ(pieces, c.want) << c.text;
    }
}

TEST(UrlTextTest, HtmlAttributeEscapingLeavesOtherTextAlone) {
    EXPECT_EQ(EscapeHtmlAttribute("https://a/b?c=d&e=\"<>\""), "https://a/b?c=d&amp;e=&quot;&lt;&gt;&quot;");
    EXPECT_EQ(EscapeHtmlAttribute("https://a/b?c=d'x"), "https://a/b?c=d'x");
    EXPECT_EQ(WebName("a b/c"), "a+b_c");
    EXPECT_EQ(WithoutBlanks(" a b "), "ab");
}

}  // namespace
}  // namespace testing_support
}  // namespace comp_mgr
