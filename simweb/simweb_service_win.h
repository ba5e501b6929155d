#pragma once
// The whole local web in one object: builds the corpus, listens on the
// engine, WhoIs, source, RDAP and site addresses, answers, and keeps a
// log of the requests that tests can read and wait on. Test programs
// start it in their own process; simweb.exe is a console front end to it.
#include <condition_variable>
#include <cstdint>
#include <deque>
#include <functional>
#include <memory>
#include <mutex>
#include <string>
#include <vector>

#include "corpus.h"
#include "http_server_win.h"
#include "rdap_services.h"
#include "request_router.h"
#include "simweb_options.h"
#include "source_services.h"

namespace simweb {

constexpr std::size_t kMaxLoggedRequests = 100000;

class CSimWeb {
public:
    CSimWeb();
    ~CSimWeb();
    CSimWeb(const CSimWeb&) = delete;
    CSimWeb& operator=(const CSimWeb&) = delete;

    // Builds the corpus and starts listening; false with a reason.
    bool Start(const SimWebOptions& options, std::string& error);
    void Stop();
    bool IsRunning() const { return m_bRunning; }

    const CCorpus& Corpus() const { return m_corpus; }
    const SimWebOptions& Options() const { return m_options; }
    std::string SiteMap() const;

    // The latest requests (at most kMaxLoggedRequests), oldest first.
    std::vector<RequestLogEntry> Requests() const;
    // Requests answered since the start, also those no longer kept.
    std::size_t RequestCount() const;
    // Waits until at least n requests were answered; false after the time limit.
    bool WaitForRequests(std::size_t n, int nTimeoutMs) const;
    // Called on the serving thread after each answer (the console prints it).
    void SetRequestObserver(std::function<void(const RequestLogEntry&)> observer);

    // Switches a source's failures while it serves (at start they come
    // from the options); a "once" failure set here spoils its next answer.
    void SetSourceFaults(SourceKind kind, const SourceFaults& faults);

    // Waits until "/simweb/stop" was requested on the engine's address or
    // RequestStop was called; false after the time limit (negative: none).
    bool WaitForStopRequest(int nTimeoutMs) const;
    void RequestStop();

private:
    ServedAnswer Handle(int nListener, const HttpRequestHead& head);
    void Record(const RequestLogEntry& entry);
    void PlanListeners();

    SimWebOptions m_options;
    CCorpus m_corpus;
    std::unique_ptr<CRequestRouter> m_router;
    std::unique_ptr<CSourceServices> m_sources;
    std::unique_ptr<CRdapServices> m_rdap;
    CHttpServer m_server;
    std::vector<ListenPoint> m_points;
    std::vector<ListenerRole> m_roles;
    bool m_bRunning = false;

    mutable std::mutex m_lock;
    mutable std::condition_variable m_changed;
    std::deque<RequestLogEntry> m_log;
    std::size_t m_nAnswered = 0;
    bool m_bStopRequested = false;
    std::function<void(const RequestLogEntry&)> m_observer;
};

}  // namespace simweb
