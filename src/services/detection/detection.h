// What happens to the plug-ins the registry scan met for the first time in
// this run: linked to the installations, or their servers unregistered.
#ifndef COMP_MGR_SERVICES_DETECTION_DETECTION_H
#define COMP_MGR_SERVICES_DETECTION_DETECTION_H

#include <utility>

#include "catalog/component_database.h"
#include "platform/platform.h"
#include "services/detection/candidate_engine.h"
#include "services/linking/linker.h"
#include "services/registration/server_registration.h"

namespace comp_mgr {

// The modes hosts pass to iDetectNewPlugIns; any other value changes nothing.
enum class DetectionMode : int {
    kLink = 0,        // link the new plug-ins to every installation that takes them
    kUnregister = 1,  // unregister the servers of the new plug-ins
    kAsk = 3,         // put them to the user
};

class NewPlugInDetection {
public:
    NewPlugInDetection(ComponentDatabase& database, const Platform& platform, Linker& linker,
                       ServerRegistration& registration)
        : db_(database), platform_(platform), linker_(linker), registration_(registration) {}

    // -1 before the catalog is loaded or scanned, else the number of new
    // plug-ins left afterwards.
    int DetectNewPlugIns(DetectionMode mode);

    // Who answers the engine's questions about the candidates of kAsk; empty
    // (the default): the real component engine.
    void SetCandidateEngines(CandidateEngineFactory engines) { engines_ = std::move(engines); }

private:
    // kAsk: the New Components dialog, then linking and unregistering by its lists.
    void AskTheUser();

    ComponentDatabase& db_;
    const Platform& platform_;
    Linker& linker_;
    ServerRegistration& registration_;
    CandidateEngineFactory engines_;
};

}  // namespace comp_mgr

#endif
