#include "hostile_sites_win.h"

#include <cstdint>
#include <cstdio>

namespace simweb {

namespace {

constexpr std::size_t kResetAfter = 50000;
constexpr std::size_t kTrickleBytes = 3600;
constexpr int kTrickleMs = 1000;

std::string Head(const char* szLength) {
    std::string head = "HTTP/1.1 200 OK\r\nServer: simweb\r\nContent-Type: text/html\r\nConnection: close\r\n";
    if (szLength) head += std::string("Content-Length: ") + szLength + "\r\n";
    return head + "\r\n";
}

// Sends the filler until nBytes went out (0: until the client or the server gives up).
uint64_t SendFiller(CConnection& connection, uint64_t nBytes) {
    static const std::string kBlock = FillerBlock();
    uint64_t nSent = 0;
    while (nBytes == 0 || nSent < nBytes) {
        std::size_t nChunk = nBytes == 0 || nBytes - nSent > kBlock.size() ? kBlock.size() : static_cast<std::size_t>(nBytes - nSent);
        if (!connection.SendAll(kBlock.data(), nChunk)) break;
        nSent += nChunk;
    }
    return nSent;
}

uint64_t HugePage(CConnection& connection) {
    char szLength[32];
    std::snprintf(szLength, sizeof szLength, "%zu", kHugePageBytes);
    if (!connection.SendAll(Head(szLength))) return 0;
    return SendFiller(connection, kHugePageBytes);
}

uint64_t EndlessBody(CConnection& connection) {
    if (!connection.SendAll(Head(nullptr))) return 0;
    return SendFiller(connection, 0);
}

uint64_t ResetMidway(CConnection& connection) {
    char szLength[32];
    std::snprintf(szLength, sizeof szLength, "%zu", kResetAfter * 2);
    uint64_t nSent = connection.SendAll(Head(szLength)) ? SendFiller(connection, kResetAfter) : 0;
    connection.Reset();
    return nSent;
}

// Holds the connection until the client leaves or the server stops.
uint64_t NeverAnswers(CConnection& connection) {
    char buffer[1024];
    for (;;) {
        int n = connection.Receive(buffer, sizeof buffer, INT64_MAX);
        if (n == 0 || n == CConnection::kReceiveFailed || connection.Stopping()) return 0;
    }
}

uint64_t Trickle(CConnection& connection) {
    char szLength[32];
    std::snprintf(szLength, sizeof szLength, "%zu", kTrickleBytes);
    if (!connection.SendAll(Head(szLength))) return 0;
    uint64_t nSent = 0;
    while (nSent < kTrickleBytes && connection.Pause(kTrickleMs) && connection.SendAll("x", 1)) ++nSent;
    return nSent;
}

HttpAnswer Redirect(const std::string& host, const std::string& target) {
    HttpAnswer answer = MakeAnswer(302, "<html><body>Moved</body></html>\n");
    bool bToB = target.find("/b.html") == std::string::npos;
    answer.location = "http://" + host + "/redirectloop.com/" + (bToB ? "b.html" : "a.html");
    return answer;
}

}  // namespace

ServedAnswer HostileAnswer(HostileKind kind, const std::string& host, const std::string& target) {
    ServedAnswer served;
    switch (kind) {
        case HostileKind::HugePage: served.custom = HugePage; break;
        case HostileKind::EndlessBody: served.custom = EndlessBody; break;
        case HostileKind::ResetMidway: served.custom = ResetMidway; break;
        case HostileKind::NeverAnswers: served.custom = NeverAnswers; break;
        case HostileKind::Trickle: served.custom = Trickle; break;
        case HostileKind::ZeroBytes: served.answer = MakeAnswer(200, ZeroBytesBody()); break;
        case HostileKind::BinaryNoise: served.answer = MakeAnswer(200, BinaryNoiseBody()); break;
        case HostileKind::UnclosedAttribute: served.answer = MakeAnswer(200, UnclosedAttributeBody(host)); break;
        case HostileKind::ManyLinks: served.answer = MakeAnswer(200, ManyLinksBody(host)); break;
        case HostileKind::LongAddress: served.answer = MakeAnswer(200, LongAddressBody(host)); break;
        case HostileKind::RedirectLoop: served.answer = Redirect(host, target); break;
        case HostileKind::ErrorStatus: served.answer = MakeAnswer(500, ErrorStatusBody(host)); break;
    }
    return served;
}

}  // namespace simweb
