#include "simweb_scratch.h"

#include <atomic>
#include <chrono>
#include <fstream>

namespace simweb_test {

CScratchFolder::CScratchFolder() {
    static std::atomic<int> s_nCounter{0};
    auto nStamp = std::chrono::steady_clock::now().time_since_epoch().count();
    m_path = std::filesystem::temp_directory_path() /
             ("simweb_test_" + std::to_string(nStamp) + "_" + std::to_string(++s_nCounter));
    std::filesystem::create_directories(m_path);
}

CScratchFolder::~CScratchFolder() {
    std::error_code code;
    std::filesystem::remove_all(m_path, code);
}

void CScratchFolder::Write(const std::map<std::string, std::string>& files) const {
    for (const auto& file : files) {
        std::filesystem::path path = m_path / std::filesystem::u8path(file.first);
        std::filesystem::create_directories(path.parent_path());
        std::ofstream(path, std::ios::binary) << file.second;
    }
}

}  // namespace simweb_test
