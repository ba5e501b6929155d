#include "web/engine_query_win.h"

#include "base/run_state.h"
#include "web/page_loader_win.h"
#include "web/query_pause.h"

namespace {

// The next pause is measured from the end of this query, even when the
// load threw.
struct CQueryStamp {
    ~CQueryStamp() { g_tLastQuery = NowSeconds(); }
};

}  // namespace

std::string LoadEnginePage(const char* szAddress, int nProgress) {
    SleepForQueryInterval();
    CQueryStamp stamp;
    return CPageLoader().LoadPage(szAddress, nProgress);
}

CPageAnswer LoadServiceAnswer(const std::string& address, const std::string& headers, int nProgress) {
    SleepForQueryInterval();
    CQueryStamp stamp;
    return CPageLoader().LoadAnswer(address.c_str(), headers, nProgress);
}
