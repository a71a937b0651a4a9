// The advisor's stored settings come from vnt_Compdb.ini, which may be
// damaged or hand-edited, and its Sku and Registration from installers: any
// values must not crash the start-up, the reminder or the launch, and what
// is opened must keep its shape: every query value encoded so the query has
// exactly its own fields, and the redirect page's attribute never closed by
// the address.
//
// Input: fields separated by '\n': LastCheckDate, Frequency, AutoLaunch,
// UrlBase, Section, Sku, Registration, TEMP, then one byte of mode and one
// of the reminder's answer.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>
#include <string_view>
#include <vector>

#include "services/advisor/web_settings.h"
#include "support/test_catalog.h"
#include "support/test_machine.h"

using namespace comp_mgr;
using testing_support::TestCatalog;
using testing_support::TestMachine;

namespace {

void Check(bool condition) {
    if (!condition) std::abort();
}

// The query of an address whose host and path hold none of its separators.
void CheckQuery(const std::string& address) {
    const std::size_t mark = address.find('?');
    Check(mark != std::string::npos);
    std::string query = address.substr(mark + 1);
    std::size_t start = 0;
    while (start <= query.size()) {
        std::size_t end = query.find('&', start);
        if (end == std::string::npos) end = query.size();
        const std::string field = query.substr(start, end - start);
        const std::size_t eq = field.find('=');
        Check(eq != std::string::npos && field.find('=', eq + 1) == std::string::npos);
        Check(field.find('#') == std::string::npos);
        start = end + 1;
    }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    std::string_view input(reinterpret_cast<const char*>(data), size);
    std::vector<std::string> fields;
    std::size_t start = 0;
    while (fields.size() < 8) {
        std::size_t end = input.find('\n', start);
        if (end == std::string_view::npos) end = input.size();
        fields.emplace_back(input.substr(start < input.size() ? start : input.size(), end > start ? end - start : 0));
        start = end < input.size() ? end + 1 : input.size();
    }
    const std::string_view tail = input.substr(start);
    const int mode = tail.size() > 0 ? static_cast<unsigned char>(tail[0]) % 4 : 0;
    const int answer = tail.size() > 1 ? static_cast<unsigned char>(tail[1]) : 0;

    TestMachine machine;
    machine.UseStandardLayout();
    machine.files.Put(TestMachine::kDbPath, "[VntInstallation_1]\r\nProgLocation=C:\\Vantrel\\bin\\vn_app.exe\r\n");
    machine.files.MakeFolder("C:\\TEMP");
    machine.files.MakeFolder("C:\\Tmp");
    machine.process.environment["TEMP"] = fields[7];
    machine.ui.reminderAnswers.push_back({(answer & 1) ? 1 : 2, (answer & 2) ? 1 : 0});
    TestCatalog db(machine.platform);
    std::string message;
    db.Load(&message);
    const char* key = "VntInstallation_1";
    const char* names[] = {"LastCheckDate", "Frequency", "AutoLaunch", "UrlBase", "Section"};
    for (int i = 0; i < 5; ++i)
        if (!fields[i].empty()) db.SetProperty(key, names[i], fields[i]);
    db.SetProperty(key, "Sku", fields[5]);
    db.SetProperty(key, "Registration", fields[6]);

    WebSettings web(db, machine.platform, db.services.records);
    web.WebStartup(key, mode);
    int a = 0, f = 0;
    char b1[8], b2[1];
    unsigned s1 = sizeof b1, s2 = 0;
    web.WebGetSetting(key, &a, &f, &s1, b1, &s2, b2);
    web.WebUpdate(key);
    web.WebSupport(key);
    web.WebRegister();
    std::string folders;
    db.FindInstallationsForSku(fields[5], folders);

    const std::string& host = web.urlBase();
    const std::string& path = web.section();
    const bool plain =
        host.find_first_of("?&#=\"<>") == std::string::npos && path.find_first_of("?&#=\"<>") == std::string::npos;
    for (const auto& opened : machine.shell.opened) {
        const std::string& target = opened.second;
        const bool redirect = target.compare(0, 4, "http") != 0 && target.find("\\~Netbeacon") != std::string::npos;
        if (redirect) {
            const std::string page = machine.files.Get(target);
            const std::string head = "<html><head><meta http-equiv=\"refresh\" content=\"1;url=";
            const std::string end = "\"></head><body></body></html>";
            Check(page.size() >= head.size() + end.size());
            const std::string address = page.substr(head.size(), page.size() - head.size() - end.size());
            Check(address.find_first_of("\"<>") == std::string::npos);
        } else if (plain && target.compare(0, 8, "https://") == 0) {
            CheckQuery(target);
        }
    }
    return 0;
}
