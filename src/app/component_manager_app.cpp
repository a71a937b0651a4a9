#include "app/component_manager_app.h"

#include "services/engine_bridge/component_engine.h"

namespace comp_mgr {

ComponentManagerApp::ComponentManagerApp(const Platform& platform)
    : platform_(platform),
      database_(platform),
      services_(database_, platform),
      plugInVersions_(platform.fileVersions),
      webSettings_(database_, platform, services_.records) {
    webSettings_.SetPlugInVersions(&plugInVersions_);
    services_.scan.RecordInto(&startupRecord_);
    services_.startupRepairs.RecordInto(&startupRecord_);
    NotifyEngineOfHost(platform_);
    database_.LocateDatabaseFile();
    database_.OpenDatabaseFile();
}

int ComponentManagerApp::InitInstance() {
    abortUpdate_ = false;
    startupRecord_.Clear();
    database_.Load(&pendingMessage_);
    startupRecord_.loadMessage = pendingMessage_;
    services_.scan.ScanRegistryPlugins();
    services_.startupRepairs.DropMissingFiles();
    services_.startupRepairs.ReconcileGroups();
    return 1;
}

int ComponentManagerApp::ExitInstance() {
    if (!abortUpdate_) {
        services_.exitRepairs.RenumberSections();
        database_.Save();
    }
    return 0;
}

void ComponentManagerApp::ShowPendingMessage() {
    if (pendingMessage_.empty()) return;
    std::string text;
    text.swap(pendingMessage_);
    platform_.ui.MessageBox(kMessageCaption, text);
    // The user now knows what the status record had to tell.
    database_.ForgetRecordedEvents();
}

}  // namespace comp_mgr
