// The component engine's two questions about a candidate plug-in, behind a
// seam so that tests can script the answers. One engine is made per
// candidate, as the engine library is loaded afresh for every question.
#ifndef COMP_MGR_SERVICES_DETECTION_CANDIDATE_ENGINE_H
#define COMP_MGR_SERVICES_DETECTION_CANDIDATE_ENGINE_H

#include <cstdint>
#include <functional>
#include <memory>
#include <string>

#include "platform/platform.h"

namespace comp_mgr {

class CandidateEngine {
public:
    virtual ~CandidateEngine() = default;
    // VARIANT_BOOL answers: -1 true, 0 false, anything else neither. A
    // failing engine method raises ComError (engine_bridge/com_error.h).
    virtual std::int16_t IsPluginSettled(const std::string& hostPath, const std::string& plugInName) = 0;
    virtual std::int16_t IsPluginRejected(const std::string& hostPath, const std::string& plugInName) = 0;
};

using CandidateEngineFactory = std::function<std::unique_ptr<CandidateEngine>()>;

// Engines that ask the real component engine (ComponentEngine).
CandidateEngineFactory ComponentEngines(const Platform& platform);

}  // namespace comp_mgr

#endif
