// simweb.exe: the local web as a console program.
#include <winsock2.h>
#include <windows.h>

#include <cstdio>
#include <string>
#include <vector>

#include "corpus_folder.h"
#include "simweb_service_win.h"

namespace {

simweb::CSimWeb* g_pSimWeb = nullptr;

BOOL WINAPI OnConsoleControl(DWORD nEvent) {
    if (nEvent != CTRL_C_EVENT && nEvent != CTRL_BREAK_EVENT && nEvent != CTRL_CLOSE_EVENT) return FALSE;
    if (g_pSimWeb) g_pSimWeb->RequestStop();
    return TRUE;
}

void PrintRequest(const simweb::RequestLogEntry& entry) {
    std::printf("%s %s %s %d %llu\n", entry.host.c_str(), entry.method.c_str(), entry.target.c_str(), entry.nStatus,
                static_cast<unsigned long long>(entry.nBytes));
    std::fflush(stdout);
}

int WriteCorpus(const simweb::SimWebOptions& options) {
    simweb::CCorpus corpus;
    std::string error;
    if (!simweb::BuildCorpus(options, corpus, error) || !simweb::WriteCorpusFolder(corpus, options.writeFolder, error)) {
        std::fprintf(stderr, "simweb: %s\n", error.c_str());
        return 1;
    }
    std::printf("simweb: %zu sites, %zu pages written to %s\n", corpus.SiteCount(), corpus.PageCount(),
                options.writeFolder.c_str());
    return 0;
}

// The site map, or the TLS front entries, one per line.
int PrintMap(const simweb::SimWebOptions& options) {
    simweb::CCorpus corpus;
    std::string error;
    if (!simweb::BuildCorpus(options, corpus, error)) {
        std::fprintf(stderr, "simweb: %s\n", error.c_str());
        return 1;
    }
    if (!options.bPrintFronts) {
        std::fputs(simweb::SiteMapText(options, corpus).c_str(), stdout);
        return 0;
    }
    for (const std::string& entry : simweb::TlsFrontEntries(options, corpus)) std::printf("%s\n", entry.c_str());
    return 0;
}

// ", searxng https://ADDR, RDAP registry https://ADDR/com/v1/...": what
// is served besides the engine, the WhoIs service and the sites.
std::string ServedSources(const simweb::SimWebOptions& options) {
    std::string sources;
    for (std::size_t k = 0; k < simweb::kSourceKinds; ++k)
        if (!options.sources[k].host.empty())
            sources += std::string(", ") + simweb::SourceName(static_cast<simweb::SourceKind>(k)) + " https://" +
                       options.sources[k].host;
    if (!options.rdap.bootstrap.empty())
        sources += ", RDAP bootstrap https://" + options.rdap.bootstrap + simweb::kRdapBootstrapPath;
    if (!options.rdap.registry.empty()) sources += ", RDAP registry https://" + options.rdap.registry + simweb::kRdapComBase;
    for (const std::string& host : options.rdap.registrars) sources += ", RDAP registrar https://" + host;
    return sources;
}

int Serve(const simweb::SimWebOptions& options) {
    simweb::CSimWeb simWeb;
    std::string error;
    if (!options.bQuiet) simWeb.SetRequestObserver(PrintRequest);
    if (!simWeb.Start(options, error)) {
        std::fprintf(stderr, "simweb: %s\n", error.c_str());
        return 1;
    }
    g_pSimWeb = &simWeb;
    SetConsoleCtrlHandler(OnConsoleControl, TRUE);
    std::string sources = ServedSources(options);
    std::printf("simweb: %zu sites, %zu pages; engine %s, WhoIs %s%s\n", simWeb.Corpus().SiteCount(),
                simWeb.Corpus().PageCount(), options.engineHost.c_str(), options.whoisHost.c_str(), sources.c_str());
    std::fflush(stdout);
    simWeb.WaitForStopRequest(-1);
    simWeb.Stop();
    g_pSimWeb = nullptr;
    std::printf("simweb: stopped\n");
    return 0;
}

}  // namespace

int main(int argc, char** argv) {
    std::vector<std::string> args(argv + 1, argv + argc);
    simweb::SimWebOptions options;
    std::string error;
    if (!simweb::ParseCommandLine(args, options, error)) {
        std::fputs(error.c_str(), stderr);
        return 2;
    }
    if (!options.writeFolder.empty()) return WriteCorpus(options);
    if (options.bPrintMap || options.bPrintFronts) return PrintMap(options);
    return Serve(options);
}
