#pragma once
// A fresh folder for one test, removed with its content afterwards, and
// files written into it by relative path.
#include <filesystem>
#include <map>
#include <string>

namespace simweb_test {

class CScratchFolder {
public:
    CScratchFolder();
    ~CScratchFolder();
    CScratchFolder(const CScratchFolder&) = delete;
    CScratchFolder& operator=(const CScratchFolder&) = delete;

    std::string Path() const { return m_path.string(); }
    // Writes each file (relative path with "/" -> content), making folders.
    void Write(const std::map<std::string, std::string>& files) const;

private:
    std::filesystem::path m_path;
};

}  // namespace simweb_test
