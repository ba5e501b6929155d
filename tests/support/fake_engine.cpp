#include "support/fake_engine.h"

#include <cstdlib>

namespace {

int Lookup(const std::map<std::string, int>& table, const std::string& key, int nDefault) {
    auto it = table.find(key);
    return it == table.end() ? nDefault : it->second;
}

}  // namespace

std::string DecodeTarget(const std::string& target) {
    std::string out;
    for (std::size_t i = 0; i < target.size(); ++i) {
        if (target[i] == '%' && i + 2 < target.size()) {
            out += static_cast<char>(std::strtol(target.substr(i + 1, 2).c_str(), nullptr, 16));
            i += 2;
        } else {
            out += target[i];
        }
    }
    return out;
}

simweb::HttpAnswer FakeEngine::Answer(const simweb::HttpRequestHead& request) const {
    std::string target = DecodeTarget(request.target);
    simweb::HttpAnswer reply;
    std::size_t nInfo = target.find("&q=info:");
    if (target.find("features=Rank") != std::string::npos && nInfo != std::string::npos) {
        reply.body = "Rank_1:1:" + std::to_string(Lookup(ranks, target.substr(nInfo + 8), nDefaultRank)) + "\n";
        return reply;
    }
    std::size_t nLink = target.find("?q=link:");
    if (nLink != std::string::npos && target.find("&num=") == std::string::npos) {
        int nCount = Lookup(backward, target.substr(nLink + 8), nDefaultBackward);
        reply.body = "<html><body>Results <b>1</b> - <b>1</b> of about <b>" + std::to_string(nCount) +
                     "</b></body></html>";
        return reply;
    }
    reply.body = "<html><body>Results <b>0</b></body></html>";
    return reply;
}

void FakeEngine::Serve(simweb::CScriptedServer& server) const {
    server.SetHandler([this](const simweb::HttpRequestHead& request) { return Answer(request); });
}
