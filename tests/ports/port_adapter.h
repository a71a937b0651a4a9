// The typed port suites (one per port, tests/ports/*_port_test.cpp) run each
// case against every adapter the build has: the in-memory ports and the
// hosted machine natively, the in-memory ports and the real Windows calls
// under Wine.
//
// An adapter under test is a type that makes a fresh machine when it is
// constructed and removes it when destroyed. Each has
//
//   static AdapterKind Kind();          which answer of an Answers table is its own
//   static constexpr const char* kName; how the test names call it
//   Files& files();                     the ports of its machine
//   Registry& registry();
//   FileVersions& fileVersions();
//   Com& com();
//   void Reopen();                      a new set of ports on the same machine, after
//                                       the old ones made their changes durable
//
// and ways to set up and look at the machine that do not go through the
// ports, so that a case about one call does not rest on the others:
//
//   std::string Path(const std::string& relative) const;
//       the Windows path of `relative` (backslashes) in a scratch folder that
//       exists and is empty at the start; Path("") is the folder itself
//   void WriteFile(const std::string& relative, const std::string& content);
//   void MakeFolder(const std::string& relative);
//   void WriteVersionedFile(const std::string& relative, const std::string& resource);
//       a library (a PE file; for the in-memory ports, the resource given to
//       its version port) holding this version resource
//   std::string ReadFile(const std::string& relative) const;   "<missing>" when absent
//   std::size_t EntryCount(const std::string& relative) const; names in a folder
//   static int FailNthSystemCall(int n);
//       makes the n-th system call of the adapter's file replacement fail
//       from now on (0: none) and returns how many were made since the last
//       call; -1 where the adapter makes no system calls (memory)
//   std::string ScratchName() const;
//       a name no key has yet; at the end the adapter removes, with
//       everything below them, the keys HKEY_CLASSES_ROOT\comp_mgr_ports_<name>
//       and HKEY_CURRENT_USER\Software\comp_mgr_ports\<name>
//
// Adapters legitimately differ in places (the hosted machine has no short
// names; Wine lists values in name order). A case states those answers in a
// small table next to the call it checks: Answers<T>(memory, hosted, windows)
// or Answers<T>(memory, hosted, windows, wine). The suites run on Wine, not on
// Windows: the windows answer is what Windows documents, or Wine's answer
// where the documentation does not say.
#ifndef COMP_MGR_TESTS_PORTS_PORT_ADAPTER_H
#define COMP_MGR_TESTS_PORTS_PORT_ADAPTER_H

#include <gtest/gtest.h>

#include <string>
#include <utility>

namespace comp_mgr {
namespace ports_test {

enum class AdapterKind { kMemory, kHosted, kWindows, kWine };

// Each adapter's answer to one question, in the order memory, hosted,
// windows; Wine answers as Windows unless a fourth answer is given.
template <class T>
class Answers {
public:
    Answers(T memory, T hosted, T windows) : memory_(memory), hosted_(hosted), windows_(windows), wine_(windows_) {}
    Answers(T memory, T hosted, T windows, T wine)
        : memory_(std::move(memory)),
          hosted_(std::move(hosted)),
          windows_(std::move(windows)),
          wine_(std::move(wine)) {}

    const T& For(AdapterKind kind) const {
        switch (kind) {
            case AdapterKind::kMemory:
                return memory_;
            case AdapterKind::kHosted:
                return hosted_;
            case AdapterKind::kWindows:
                return windows_;
            case AdapterKind::kWine:
                break;
        }
        return wine_;
    }

private:
    T memory_;
    T hosted_;
    T windows_;
    T wine_;
};

// The fixture of every typed port suite: a fresh machine per case.
template <class Adapter>
class PortTest : public ::testing::Test {
protected:
    template <class T>
    static const T& Answer(const Answers<T>& answers) {
        return answers.For(Adapter::Kind());
    }

    Adapter adapter;
};

// Test names end in the adapter's name: FilesPort/hosted.FindMatchesPatterns.
struct AdapterNames {
    template <class Adapter>
    static std::string GetName(int) {
        return Adapter::kName;
    }
};

}  // namespace ports_test
}  // namespace comp_mgr

#endif
