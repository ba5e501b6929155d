#include "simweb_service_win.h"

#include <algorithm>
#include <chrono>

#include "hostile_sites_win.h"

namespace simweb {

namespace {

constexpr char kStopPath[] = "/simweb/stop";

}  // namespace

CSimWeb::CSimWeb() = default;

CSimWeb::~CSimWeb() { Stop(); }

bool CSimWeb::Start(const SimWebOptions& options, std::string& error) {
    if (m_bRunning) {
        error = "already running";
        return false;
    }
    m_options = options;
    m_corpus = CCorpus();
    if (!BuildCorpus(m_options, m_corpus, error)) return false;
    m_router = std::make_unique<CRequestRouter>(m_corpus, m_options.engineHost, m_options.nBlockQueries,
                                                m_options.nBlockWindowMs);
    m_sources = std::make_unique<CSourceServices>(m_corpus, m_options.sources);
    m_rdap = std::make_unique<CRdapServices>(m_corpus, m_options.rdap);
    PlanListeners();
    {
        std::lock_guard<std::mutex> guard(m_lock);
        m_log.clear();
        m_nAnswered = 0;
        m_bStopRequested = false;
    }
    m_bRunning = m_server.Start(
        m_points, [this](int nListener, const HttpRequestHead& head) { return Handle(nListener, head); },
        [this](const RequestLogEntry& entry) { Record(entry); }, error);
    if (!m_bRunning) Stop();
    return m_bRunning;
}

void CSimWeb::Stop() {
    m_server.Stop();
    m_bRunning = false;
}

// A site that serves no plain http has its pages on the front's port
// only; one that forwards http to https has the forwarding on the plain
// port beside them. Today's sources and the RDAP servers answer https
// only, so the front's port alone.
void CSimWeb::PlanListeners() {
    m_points.clear();
    m_roles.clear();
    auto roleOf = [this](const std::string& address, int nPort) -> ListenerRole& {
        auto it = std::find_if(m_points.begin(), m_points.end(), [&](const ListenPoint& point) {
            return point.address == address && point.nPort == nPort;
        });
        if (it != m_points.end()) return m_roles[static_cast<std::size_t>(it - m_points.begin())];
        m_points.push_back({address, nPort});
        m_roles.emplace_back();
        return m_roles.back();
    };
    roleOf(m_options.engineHost, m_options.nPort).bEngine = true;
    roleOf(m_options.whoisHost, m_options.nPort).bWhoIs = true;
    for (std::size_t k = 0; k < kSourceKinds; ++k) {
        const std::string& host = m_options.sources[k].host;
        if (!host.empty()) roleOf(host, m_options.nFrontPort).nSource = static_cast<int>(k);
    }
    for (const std::string& host : m_options.rdap.All()) roleOf(host, m_options.nFrontPort).bRdap = true;
    for (std::size_t s = 0; s < m_corpus.SiteCount(); ++s) {
        const SimSite& site = m_corpus.Site(static_cast<int>(s));
        ListenerRole& role = roleOf(site.host, SitePagePort(m_options, site.scheme));
        role.nSite = static_cast<int>(s);
        if (m_options.bHostile) role.nHostile = HostileKindOfSite(m_corpus, static_cast<int>(s));
        if (site.scheme == SiteScheme::Redirect) {
            ListenerRole& forward = roleOf(site.host, m_options.nPort);
            forward.nSite = static_cast<int>(s);
            forward.bToSecure = true;
        }
    }
}

ServedAnswer CSimWeb::Handle(int nListener, const HttpRequestHead& head) {
    const ListenerRole& role = m_roles[static_cast<std::size_t>(nListener)];
    ServedAnswer served;
    if (role.bEngine && head.target == kStopPath) {
        served.answer.body = "<html><body>simweb stops</body></html>\n";
        served.afterSent = [this] { RequestStop(); };
        return served;
    }
    if (role.nSource >= 0) {
        served.answer = m_sources->Answer(static_cast<SourceKind>(role.nSource), head.target, head.fields);
        return served;
    }
    if (role.bRdap) {
        served.answer = m_rdap->Answer(m_points[static_cast<std::size_t>(nListener)].address, head.target);
        return served;
    }
    if (role.nHostile >= 0)
        return HostileAnswer(HostileKindAt(static_cast<std::size_t>(role.nHostile)),
                             m_points[static_cast<std::size_t>(nListener)].address, head.target);
    served.answer = m_router->Answer(role, head.target, SteadyNowMs());
    return served;
}

void CSimWeb::Record(const RequestLogEntry& entry) {
    std::function<void(const RequestLogEntry&)> observer;
    {
        std::lock_guard<std::mutex> guard(m_lock);
        m_log.push_back(entry);
        if (m_log.size() > kMaxLoggedRequests) m_log.pop_front();
        ++m_nAnswered;
        observer = m_observer;
    }
    m_changed.notify_all();
    if (observer) observer(entry);
}

void CSimWeb::SetSourceFaults(SourceKind kind, const SourceFaults& faults) {
    if (m_sources) m_sources->SetFaults(kind, faults);
}

std::string CSimWeb::SiteMap() const { return SiteMapText(m_options, m_corpus); }

std::vector<RequestLogEntry> CSimWeb::Requests() const {
    std::lock_guard<std::mutex> guard(m_lock);
    return std::vector<RequestLogEntry>(m_log.begin(), m_log.end());
}

std::size_t CSimWeb::RequestCount() const {
    std::lock_guard<std::mutex> guard(m_lock);
    return m_nAnswered;
}

bool CSimWeb::WaitForRequests(std::size_t n, int nTimeoutMs) const {
    std::unique_lock<std::mutex> guard(m_lock);
    return m_changed.wait_for(guard, std::chrono::milliseconds(nTimeoutMs), [&] { return m_nAnswered >= n; });
}

void CSimWeb::SetRequestObserver(std::function<void(const RequestLogEntry&)> observer) {
    std::lock_guard<std::mutex> guard(m_lock);
    m_observer = std::move(observer);
}

bool CSimWeb::WaitForStopRequest(int nTimeoutMs) const {
    std::unique_lock<std::mutex> guard(m_lock);
    if (nTimeoutMs < 0) {
        m_changed.wait(guard, [this] { return m_bStopRequested; });
        return true;
    }
    return m_changed.wait_for(guard, std::chrono::milliseconds(nTimeoutMs), [this] { return m_bStopRequested; });
}

void CSimWeb::RequestStop() {
    {
        std::lock_guard<std::mutex> guard(m_lock);
        m_bStopRequested = true;
    }
    m_changed.notify_all();
}

}  // namespace simweb
