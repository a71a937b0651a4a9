// Everything the library may ask of the operating system, handed to the
// application object at construction.
#ifndef COMP_MGR_PLATFORM_PLATFORM_H
#define COMP_MGR_PLATFORM_PLATFORM_H

#include "platform/clock.h"
#include "platform/com.h"
#include "platform/events.h"
#include "platform/file_versions.h"
#include "platform/files.h"
#include "platform/loader.h"
#include "platform/process.h"
#include "platform/registry.h"
#include "platform/shell.h"
#include "platform/ui.h"

namespace comp_mgr {

struct Platform {
    Registry& registry;
    Files& files;
    Process& process;
    Loader& loader;
    Ui& ui;
    Clock& clock;
    FileVersions& fileVersions;
    Com& com;
    Shell& shell;
    Events& events;
};

}  // namespace comp_mgr

#endif
