// A throw-away machine root for the hosted adapter's tests.
#ifndef COMP_MGR_TESTS_HOSTED_HOSTED_TEST_ROOT_H
#define COMP_MGR_TESTS_HOSTED_HOSTED_TEST_ROOT_H

#include <stdlib.h>

#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>

namespace hosted_test {

class TestRoot {
public:
    TestRoot() {
        std::string pattern = (std::filesystem::temp_directory_path() / "comp_mgr_hosted_XXXXXX").string();
        if (mkdtemp(&pattern[0])) path_ = pattern;
        std::filesystem::create_directories(path_ + "/drive_c");
    }
    ~TestRoot() {
        std::error_code ignored;
        std::filesystem::remove_all(path_, ignored);
    }
    TestRoot(const TestRoot&) = delete;
    TestRoot& operator=(const TestRoot&) = delete;

    const std::string& path() const { return path_; }
    std::string Host(const std::string& relative) const { return path_ + "/" + relative; }

    void Write(const std::string& relative, const std::string& content) const {
        std::filesystem::path p(Host(relative));
        std::filesystem::create_directories(p.parent_path());
        std::ofstream(p, std::ios::binary) << content;
    }
    std::string Read(const std::string& relative) const {
        std::ifstream in(Host(relative), std::ios::binary);
        std::ostringstream s;
        s << in.rdbuf();
        return s.str();
    }
    bool Has(const std::string& relative) const { return std::filesystem::exists(Host(relative)); }
    void MakeDir(const std::string& relative) const { std::filesystem::create_directories(Host(relative)); }
    // Names in a host folder, to check that nothing temporary was left behind.
    std::size_t EntryCount(const std::string& relative) const {
        std::size_t n = 0;
        for (const auto& entry : std::filesystem::directory_iterator(Host(relative))) {
            (void)entry;
            ++n;
        }
        return n;
    }

private:
    std::string path_;
};

}  // namespace hosted_test

#endif
