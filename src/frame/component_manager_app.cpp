#include "frame/component_manager_app.h"

namespace comp_mgr {

const char kMessageCaption[] = "comp_mgr";

ComponentManagerApp::ComponentManagerApp(const Platform& platform) : platform_(platform), database(platform) {}

int ComponentManagerApp::InitInstance() {
    abortUpdate = 0;
    database.Load(&pendingMessage);
    database.ScanRegistryPlugins();
    database.DropMissingFiles();
    database.ReconcileGroups();
    return 1;
}

int ComponentManagerApp::ExitInstance() {
    if (abortUpdate == 0) {
        database.RenumberSections();
        database.Save();
    }
    return 0;
}

void ComponentManagerApp::ShowPendingMessage() {
    if (pendingMessage.empty()) return;
    std::string text;
    text.swap(pendingMessage);
    platform_.ui.MessageBox(kMessageCaption, text);
}

}  // namespace comp_mgr
