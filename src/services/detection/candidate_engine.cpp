#include "services/detection/candidate_engine.h"

#include "services/engine_bridge/component_engine.h"

namespace comp_mgr {
namespace {

class ComponentCandidateEngine : public CandidateEngine {
public:
    explicit ComponentCandidateEngine(const Platform& platform) : engine_(platform) {}
    std::int16_t IsPluginSettled(const std::string& hostPath, const std::string& plugInName) override {
        return engine_.IsPluginSettled(hostPath, plugInName);
    }
    std::int16_t IsPluginRejected(const std::string& hostPath, const std::string& plugInName) override {
        return engine_.IsPluginRejected(hostPath, plugInName);
    }

private:
    ComponentEngine engine_;
};

}  // namespace

CandidateEngineFactory ComponentEngines(const Platform& platform) {
    const Platform* p = &platform;
    return [p]() -> std::unique_ptr<CandidateEngine> { return std::make_unique<ComponentCandidateEngine>(*p); };
}

}  // namespace comp_mgr
