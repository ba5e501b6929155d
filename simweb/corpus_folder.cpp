#include "corpus_folder.h"

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <sstream>

#include "sim_text.h"

namespace fs = std::filesystem;

namespace simweb {

namespace {

bool IsPageFile(const fs::path& path) {
    std::string ext = ToLower(path.extension().string());
    return ext == ".html" || ext == ".htm";
}

bool ReadFile(const fs::path& path, std::string& content) {
    std::ifstream in(path, std::ios::binary);
    if (!in) return false;
    std::ostringstream text;
    text << in.rdbuf();
    content = text.str();
    return true;
}

bool WriteFile(const fs::path& path, const std::string& content) {
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    out << content;
    return static_cast<bool>(out);
}

std::vector<std::string> ReadWhoIs(const fs::path& file) {
    std::string content;
    std::vector<std::string> addresses;
    if (!ReadFile(file, content)) return addresses;
    std::istringstream lines(content);
    std::string line;
    while (std::getline(lines, line)) {
        std::size_t first = line.find_first_not_of(" \t\r");
        if (first == std::string::npos || line[first] == '#') continue;
        std::size_t last = line.find_last_not_of(" \t\r");
        addresses.push_back(line.substr(first, last - first + 1));
    }
    return addresses;
}

// Page files of a site, relative to it with "/" separators, sorted.
std::vector<std::string> SitePageFiles(const fs::path& siteFolder) {
    std::vector<std::string> files;
    std::error_code code;
    for (fs::recursive_directory_iterator it(siteFolder, code), end; !code && it != end; it.increment(code))
        if (it->is_regular_file(code) && IsPageFile(it->path()))
            files.push_back(it->path().lexically_relative(siteFolder).generic_string());
    std::sort(files.begin(), files.end());
    return files;
}

bool LoadSite(const fs::path& siteFolder, const std::string& name, const std::string& host, CCorpus& corpus,
              std::string& error) {
    int site = corpus.AddSite(name, host, ReadWhoIs(siteFolder / kWhoIsFileName));
    for (const std::string& rel : SitePageFiles(siteFolder)) {
        std::string html;
        if (!ReadFile(siteFolder / fs::path(rel), html)) {
            error = "cannot read " + (siteFolder / fs::path(rel)).string();
            return false;
        }
        int page = corpus.AddPage(site, "/" + name + "/" + rel, std::move(html));
        std::string lower = ToLower(rel);
        if (lower == "index.html" || lower == "index.htm") corpus.SetHome(site, page);
    }
    return true;
}

}  // namespace

bool ListSiteFolders(const std::string& folder, std::vector<std::string>& names, std::string& error) {
    names.clear();
    std::error_code code;
    for (fs::directory_iterator it(fs::u8path(folder), code), end; !code && it != end; it.increment(code))
        if (it->is_directory(code)) names.push_back(it->path().filename().string());
    if (code) {
        error = "cannot read the corpus folder " + folder + ": " + code.message();
        return false;
    }
    std::sort(names.begin(), names.end());
    return true;
}

bool LoadCorpusFolder(const std::string& folder, const std::vector<std::string>& hosts, CCorpus& corpus,
                      std::string& error, bool bBuild) {
    std::vector<std::string> names;
    if (!ListSiteFolders(folder, names, error)) return false;
    if (hosts.size() < names.size()) {
        error = "fewer site addresses than site folders";
        return false;
    }
    for (std::size_t i = 0; i < names.size(); ++i)
        if (!LoadSite(fs::u8path(folder) / names[i], names[i], hosts[i], corpus, error)) return false;
    if (bBuild) corpus.Build();
    return true;
}

bool WriteCorpusFolder(const CCorpus& corpus, const std::string& folder, std::string& error) {
    std::error_code code;
    fs::path root = fs::u8path(folder);
    for (std::size_t s = 0; s < corpus.SiteCount(); ++s) {
        const SimSite& site = corpus.Site(static_cast<int>(s));
        fs::create_directories(root / site.name, code);
        std::string whois;
        for (const std::string& address : site.whois) whois += address + "\n";
        if (code || !WriteFile(root / site.name / kWhoIsFileName, whois)) {
            error = "cannot write the site folder " + (root / site.name).string();
            return false;
        }
    }
    for (std::size_t p = 0; p < corpus.PageCount(); ++p) {
        const SimPage& page = corpus.Page(static_cast<int>(p));
        fs::path file = root / fs::path(PercentDecode(page.path, false).substr(1));
        fs::create_directories(file.parent_path(), code);
        if (code || !WriteFile(file, page.html)) {
            error = "cannot write " + file.string();
            return false;
        }
    }
    return true;
}

}  // namespace simweb
