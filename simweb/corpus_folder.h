#pragma once
// A corpus on disk: one sub-folder per site (sites numbered in name
// order), its .html and .htm files at any depth as pages, and an optional
// "whois.txt" with the site's WhoIs addresses, one per line. A page file
// "acme.com/news/a.html" is served as http://HOST/acme.com/news/a.html;
// "index.html" (or "index.htm") at the top of a site is its home.
#include <string>
#include <vector>

#include "corpus.h"

namespace simweb {

constexpr char kWhoIsFileName[] = "whois.txt";

// The site folders of a corpus folder, in name order.
bool ListSiteFolders(const std::string& folder, std::vector<std::string>& names, std::string& error);

// Fills an empty corpus from the folder (hosts[i] serves site i) and
// builds it unless the caller adds more first. False with a reason when
// the folder cannot be read.
bool LoadCorpusFolder(const std::string& folder, const std::vector<std::string>& hosts, CCorpus& corpus,
                      std::string& error, bool bBuild = true);

// Writes the corpus in the same layout, so that loading it gives it back.
bool WriteCorpusFolder(const CCorpus& corpus, const std::string& folder, std::string& error);

}  // namespace simweb
