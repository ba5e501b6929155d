#include "hostile_sites.h"

#include <cstring>

namespace simweb {

namespace {

const char* const kNames[kHostileKinds] = {"hugepage",      "endlessbody", "zerobytes",    "binarynoise",
                                           "unclosedattribute", "manylinks", "longaddress", "redirectloop",
                                           "errorstatus",   "resetmidway", "neveranswers", "trickle"};

constexpr std::size_t kBodyBytes = 1024 * 1024;

std::string SiteFolder(HostileKind kind) { return std::string(HostileName(kind)) + ".com"; }

}  // namespace

const char* HostileName(HostileKind kind) { return kNames[static_cast<std::size_t>(kind)]; }

HostileKind HostileKindAt(std::size_t nIndex) { return static_cast<HostileKind>(nIndex); }

std::string HostilePagePath(HostileKind kind, const std::string& host) {
    std::string path = "/" + SiteFolder(kind) + "/";
    if (kind != HostileKind::LongAddress) return path + "index.html";
    // The whole address, "http://" and host included, has the full length.
    std::size_t nUsed = 7 + host.size() + path.size() + 5;
    return path + std::string(kLongAddressLength > nUsed ? kLongAddressLength - nUsed : 1, 'a') + ".html";
}

std::string HostileListing(HostileKind kind) {
    return "<html><head><title>Hostile " + std::string(HostileName(kind)) + "</title></head><body>hostile " +
           HostileName(kind) + "</body></html>\n";
}

void AddHostileSites(const std::vector<std::string>& hosts, CCorpus& corpus) {
    for (std::size_t i = 0; i < kHostileKinds && i < hosts.size(); ++i) {
        HostileKind kind = HostileKindAt(i);
        int site = corpus.AddSite(SiteFolder(kind), hosts[i], {});
        corpus.AddPage(site, HostilePagePath(kind, hosts[i]), HostileListing(kind));
    }
}

int HostileKindOfSite(const CCorpus& corpus, int site) {
    const std::string& name = corpus.Site(site).name;
    for (std::size_t i = 0; i < kHostileKinds; ++i)
        if (name == SiteFolder(HostileKindAt(i)) && corpus.Page(corpus.Site(site).home).html == HostileListing(HostileKindAt(i)))
            return static_cast<int>(i);
    return -1;
}

std::string ZeroBytesBody() { return "<html><body>" + std::string(kBodyBytes, '\0') + "</body></html>\n"; }

std::string BinaryNoiseBody() {
    std::string body(kBodyBytes, '\0');
    uint32_t nState = 2463534242u;
    for (char& c : body) {
        nState ^= nState << 13;
        nState ^= nState >> 17;
        nState ^= nState << 5;
        c = static_cast<char>(nState & 0xFF);
    }
    return body;
}

std::string UnclosedAttributeBody(const std::string& host) {
    return "<html><body><p>Write to trap@unclosed.com</p><a href=\"http://" + host + "/unclosedattribute.com/next.html " +
           std::string(kBodyBytes, 'q');
}

std::string ManyLinksBody(const std::string& host) {
    std::string body = "<html><body>\n";
    body.reserve(kManyLinks * 48);
    char szLink[128];
    for (std::size_t i = 0; i < kManyLinks; ++i) {
        if (i % 2)
            std::snprintf(szLink, sizeof szLink, "<a href=\"http://%s/manylinks.com/p%zu.html\">%zu</a>\n", host.c_str(), i, i);
        else
            std::snprintf(szLink, sizeof szLink, "<a href=\"p%zu.html\">%zu</a>\n", i, i);
        body += szLink;
    }
    return body + "</body></html>\n";
}

std::string LongAddressBody(const std::string& host) {
    std::string address = "http://" + host + HostilePagePath(HostileKind::LongAddress, host);
    return "<html><body><p>A page with a long name.</p><a href=\"" + address + "\">itself</a>\n<a href=\"" + address +
           "?again=1\">again</a>\n<a href=\"contact.html\">Contact</a></body></html>\n";
}

std::string ErrorStatusBody(const std::string& host) {
    return "<html><head><title>500 Internal Server Error</title></head><body><h1>Internal Server Error</h1>"
           "<p>Mail webmaster@errorstatus.com about it.</p><a href=\"http://" + host +
           "/errorstatus.com/index.html\">try again</a> <a href=\"contact.html\">Contact</a></body></html>\n";
}

std::string FillerBlock() {
    std::string block;
    while (block.size() < 64 * 1024) block += "<p>filler text that goes on and on and on</p>\n";
    return block;
}

}  // namespace simweb
