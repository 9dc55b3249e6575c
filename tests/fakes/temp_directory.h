#pragma once
// A fresh directory under the system temporary directory, removed with its contents when
// the test ends. path() ends in a separator, like the executable directory.

#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

namespace qora::testing {

class TempDirectory {
public:
    TempDirectory() {
        std::string pattern =
            (std::filesystem::temp_directory_path() / "qora-test-XXXXXX").string();
        std::vector<char> buffer(pattern.begin(), pattern.end());
        buffer.push_back('\0');
        root_ = makeUnique(buffer.data());
    }
    ~TempDirectory() {
        std::error_code ignored;
        std::filesystem::remove_all(root_, ignored);
    }
    TempDirectory(const TempDirectory&) = delete;
    TempDirectory& operator=(const TempDirectory&) = delete;

    std::string path() const { return root_.string() + "/"; }
    std::string file(const std::string& name) const { return (root_ / name).string(); }

    void write(const std::string& name, const std::string& content) const {
        std::ofstream out(file(name), std::ios::binary | std::ios::trunc);
        out << content;
    }
    std::string read(const std::string& name) const {
        std::ifstream in(file(name), std::ios::binary);
        return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
    }
    bool exists(const std::string& name) const { return std::filesystem::exists(file(name)); }

private:
    static std::filesystem::path makeUnique(char* pattern);
    std::filesystem::path root_;
};

} // namespace qora::testing
