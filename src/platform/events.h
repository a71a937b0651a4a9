// The library's log of its decisions: what it removed, renumbered, linked,
// refused, registered or kept aside, one event each, so that a person can
// see afterwards why the catalog changed (support/event_line.h holds the
// line and the kinds). The hosted machine always keeps the log; Windows only
// when the host names a file. Recording is never allowed to fail the work.
#ifndef COMP_MGR_PLATFORM_EVENTS_H
#define COMP_MGR_PLATFORM_EVENTS_H

#include <string>
#include <string_view>
#include <utility>

namespace comp_mgr {

class Events {
public:
    virtual ~Events() = default;

    // False when a record would go nowhere, so callers need not build its text.
    virtual bool enabled() const = 0;
    // One decision: its kind (event_kind), the section or path it is about,
    // and the rest. Never throws.
    virtual void Record(std::string_view kind, std::string_view subject, std::string_view text) noexcept = 0;

    // A pass that changes only the catalog in memory may have its records
    // held and written together when it ends: thousands of renumbered
    // sections are then a few writes, not thousands. Should the process die
    // in between, the changes those records tell of were never saved either.
    // Holds nest; an adapter may write held records earlier.
    virtual void Hold() noexcept {}
    virtual void Release() noexcept {}
};

// Holds the records of one pass in memory (Events::Hold) until it ends.
class HeldEvents {
public:
    explicit HeldEvents(Events& events) noexcept : events_(events) { events_.Hold(); }
    ~HeldEvents() { events_.Release(); }
    HeldEvents(const HeldEvents&) = delete;
    HeldEvents& operator=(const HeldEvents&) = delete;

private:
    Events& events_;
};

// Records an event whose text `makeText()` builds only when the log is on: a
// decision nobody listens to costs one virtual call. A text that cannot be
// built (out of memory) is not recorded; the work goes on.
template <class MakeText>
void Tell(Events& events, std::string_view kind, std::string_view subject, MakeText&& makeText) noexcept {
    if (!events.enabled()) return;
    try {
        const std::string text = std::forward<MakeText>(makeText)();
        events.Record(kind, subject, text);
    } catch (...) {
    }
}

}  // namespace comp_mgr

#endif
