#pragma once
// The hostile corner of the local web: sites that answer the way broken or
// malicious servers do, each on its own address. The engine lists each one
// under the word "hostile" and its kind, so a keyword run reaches them too.
#include <cstdint>
#include <string>
#include <vector>

#include "corpus.h"

namespace simweb {

enum class HostileKind {
    HugePage,          // a 40 MB page
    EndlessBody,       // a body that never ends
    ZeroBytes,         // a body full of zero bytes
    BinaryNoise,       // random bytes
    UnclosedAttribute, // an attribute whose quote never closes
    ManyLinks,         // 100,000 links
    LongAddress,       // a page whose own address has 10,000 characters
    RedirectLoop,      // two addresses redirecting to each other
    ErrorStatus,       // status 500 with a page in the body
    ResetMidway,       // the connection is reset half-way through the body
    NeverAnswers,      // reads the request and never answers
    Trickle,           // one byte a second
};

constexpr std::size_t kHostileKinds = 12;
constexpr std::size_t kHugePageBytes = 40u * 1024u * 1024u;
constexpr std::size_t kManyLinks = 100000;
constexpr std::size_t kLongAddressLength = 10000;

const char* HostileName(HostileKind kind);
HostileKind HostileKindAt(std::size_t nIndex);

// The path of the page the engine lists for the kind on its host.
std::string HostilePagePath(HostileKind kind, const std::string& host);
// The text the engine indexes for it (never what the host serves).
std::string HostileListing(HostileKind kind);

// Adds one site per kind on hosts[i] (kHostileKinds hosts); their pages
// are indexed like any other when the corpus is built.
void AddHostileSites(const std::vector<std::string>& hosts, CCorpus& corpus);
// The kind a site is, or -1 for an ordinary site.
int HostileKindOfSite(const CCorpus& corpus, int site);

// Bodies of the kinds that are served whole.
std::string ZeroBytesBody();
std::string BinaryNoiseBody();
std::string UnclosedAttributeBody(const std::string& host);
std::string ManyLinksBody(const std::string& host);
std::string LongAddressBody(const std::string& host);
std::string ErrorStatusBody(const std::string& host);
// One block of the huge and endless bodies, repeated as often as needed.
std::string FillerBlock();

}  // namespace simweb
