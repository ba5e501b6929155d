#pragma once
// A corpus made up from a seed: the same seed and size give the same
// sites, pages, links and addresses on every run and every machine.
#include <cstdint>
#include <string>
#include <vector>

#include "corpus.h"

namespace simweb {

struct GenerateSpec {
    uint32_t nSeed = 1;
    int nSites = 20;
    int nPagesPerSite = 10;
    // A web of today: most sites and links https, some sites only over
    // https or forwarding http there, a few behind a broken certificate.
    // Off, every site is plain http and the corpus is the one this seed
    // has always given.
    bool bToday = false;
};

// The scheme of site s in a web of today.
SiteScheme TodaySiteScheme(std::size_t nSite);

// Fills an empty corpus; hosts[i] is the address of site i (one per site).
// Builds the corpus at the end unless the caller adds more first.
void GenerateCorpus(const GenerateSpec& spec, const std::vector<std::string>& hosts, CCorpus& corpus,
                    bool bBuild = true);

}  // namespace simweb
