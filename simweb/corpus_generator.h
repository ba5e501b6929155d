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
};

// Fills an empty corpus; hosts[i] is the address of site i (one per site).
// Builds the corpus at the end unless the caller adds more first.
void GenerateCorpus(const GenerateSpec& spec, const std::vector<std::string>& hosts, CCorpus& corpus,
                    bool bBuild = true);

}  // namespace simweb
