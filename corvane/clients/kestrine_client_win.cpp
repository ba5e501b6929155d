// The main program's side of the page-analysis and WhoIs components: one
// fresh component object per call, texts converted to BSTRs and back, every
// failure kept inside the call.
#include <windows.h>
#include <ole2.h>

#include "clients/kestrine_client_win.h"

#include <cstdio>
#include <exception>

#include "base/diagnostic_log.h"
#include "base/exception_barrier.h"
#include "clients/script_removal.h"
#include "evaluate/absolute_url.h"
#include "kestrine_h.h"
#include "ostrel_h.h"
#include "platform_owners_win.h"
#include "report/mailing_list.h"
#include "web/url_crack.h"

namespace {

const char kContactWords[] = "contact;contact us;contactus;about;about us;aboutus;feedback";
constexpr std::size_t kAddressTextSize = 256;
constexpr std::size_t kContactLinkMaxLength = 2048;
constexpr std::size_t kWhoIsAnswerSize = 2048;

// A failed HRESULT of a component call, as the call wrappers throw it,
// with the interface that answered it (seen in a debugger; the log lines
// name only the call).
class CComError : public std::exception {
public:
    CComError(HRESULT hr, const IID& iid) : m_hr(hr), m_iid(iid) {}
    const char* what() const noexcept override { return "COM error"; }

private:
    HRESULT m_hr;
    IID m_iid;
};

void Check(HRESULT hr, const IID& iid) {
    if (FAILED(hr)) throw CComError(hr, iid);
}

// Runs one client call: a failed HRESULT is logged with szComFailure, any
// other failure with szOtherFailure. What the call had set by then stays.
template <typename Call>
void GuardedComCall(const char* szComFailure, const char* szOtherFailure, Call&& call) {
    Guarded(szOtherFailure, [&] {
        try {
            call();
        } catch (const CComError&) {
            g_Log.Write(szComFailure);
        }
    });
}

// Created for IUnknown, put into the running state, then asked for the
// interface; empty when any step fails.
template <class T>
CComRef<T> CreateComponent(const CLSID& clsid, const IID& iid) {
    CComRef<IUnknown> unknown;
    HRESULT hr = CoCreateInstance(clsid, nullptr, CLSCTX_INPROC_SERVER | CLSCTX_INPROC_HANDLER | CLSCTX_LOCAL_SERVER,
                                  IID_IUnknown, unknown.ReceiveVoid());
    if (FAILED(hr) || !unknown) return CComRef<T>();
    if (FAILED(OleRun(unknown.Get()))) return CComRef<T>();
    CComRef<T> object;
    if (FAILED(unknown->QueryInterface(iid, object.ReceiveVoid()))) return CComRef<T>();
    return object;
}

CComRef<ITrawler> CreateTrawler() {
    CComRef<ITrawler> trawler = CreateComponent<ITrawler>(CLSID_Trawler, IID_ITrawler);
    if (!trawler) g_Log.Write("Fail to create instance of Kestrinelib.Trawler");
    return trawler;
}

// Entry nIndex of the object's match list, through the throwing wrapper.
std::string EmailAt(ITrawler* lpTrawler, long nIndex, VARIANT_BOOL& bRet) {
    CBstr email;
    bRet = 0;
    Check(lpTrawler->get_EmailAt(nIndex, email.Receive(), &bRet), IID_ITrawler);
    return BstrToAnsi(email.Get());
}

// An address as the 256-byte texts of the address list hold it.
std::string CutToAddressText(std::string szAddress) {
    if (szAddress.size() >= kAddressTextSize) szAddress.resize(kAddressTextSize - 1);
    return szAddress;
}

// Every address of the match list, each followed by ";".
std::string BuildAddressList(ITrawler* lpTrawler, long nCount) {
    std::string szList;
    for (long i = 0; i < nCount; ++i) {
        VARIANT_BOOL bRet = 0;
        const std::string szAddress = EmailAt(lpTrawler, i, bRet);
        if (bRet < 0) break;
        szList += CutToAddressText(szAddress);
        szList += ';';
    }
    return szList;
}

char* NewText(const std::string& text, std::size_t nSize) {
    char* szText = new char[nSize];
    std::snprintf(szText, nSize, "%s", text.c_str());
    return szText;
}

char* AnswerForCount(ITrawler* lpTrawler, long nCount) {
    if (nCount > 1) return NewText("Multiple", sizeof "Multiple");
    if (nCount != 1) return nullptr;
    try {
        VARIANT_BOOL bRet = 0;
        const std::string szAddress = EmailAt(lpTrawler, 0, bRet);
        if (!szAddress.empty()) return NewText(szAddress, kAddressTextSize);
    } catch (const CComError&) {
    }
    g_Log.Write("Fail to get 1st Email Addresse");
    return nullptr;
}

std::string ContactLinkOf(ITrawler* lpTrawler, const std::string& szWorkPage, const char* szPageAddress) {
    CBstr buffer(AnsiToBstr(szWorkPage));
    CBstr words(AnsiToBstr(kContactWords));
    CBstr address(AnsiToBstr(szPageAddress));
    if (buffer.IsNull() || words.IsNull() || address.IsNull()) return std::string();
    CBstr answer;
    if (FAILED(lpTrawler->get_ContactPage(buffer.Get(), words.Get(), address.Get(), answer.Receive())))
        return std::string();
    std::string szLink = BstrToAnsi(answer.Get());
    if (szLink.empty() || szLink.size() > kContactLinkMaxLength) {
        g_Log.Write("contact page link is long than buffer");
        return std::string();
    }
    return szLink;
}

// A relative contact link made absolute against the page address.
std::string AbsoluteContactLink(const std::string& szLink, const char* szPageAddress) {
    if (szLink.empty() || FindSchemeMark(szLink).nPos != std::string::npos) return szLink;
    std::string szFull = CFullURL().MakeFullURL(szPageAddress, szLink);
    if (szFull.find("Error:") != std::string::npos) {
        g_Log.Printf("Exception in FindContactPage: %s", szFull.c_str());
        return std::string();
    }
    return szFull;
}

// The page address up to the end of its host name: the scheme skipped when
// present, cut at the first "/" after the host's start.
std::string WhoIsKey(const char* szPageAddress, std::size_t& nHostStart) {
    std::string szKey(szPageAddress);
    if (szKey.size() >= kWhoIsAnswerSize) szKey.resize(kWhoIsAnswerSize - 1);
    const HostRange range = HostSpan(szKey);
    nHostStart = range.nStart;
    szKey.resize(range.nEnd);
    return szKey;
}

// All addresses the WhoIs component finds for the host, "," after each;
// false when the component cannot be created.
bool AskWhoIsService(const std::string& szHost, std::string& szAnswer) {
    szAnswer.clear();
    bool bCreated = true;
    GuardedComCall("Exception in GetWhoIs 1", "Exception in GetWhoIs 2", [&] {
        CComRef<ICOstrel> ostrel = CreateComponent<ICOstrel>(CLSID_COstrel, IID_ICOstrel);
        if (!ostrel) {
            g_Log.Write("Fail to create instance of OSTRELLib::COstrel");
            bCreated = false;
            return;
        }
        CBstr domain(AnsiToBstr(szHost));
        CBstr emails;
        Check(ostrel->GetEMails(domain.Get(), emails.Receive()), IID_ICOstrel);
        if (emails.IsNull()) {
            g_Log.Write("Fail to get WhoIs Email");
            return;
        }
        szAnswer = BstrToAnsi(emails.Get());
        if (szAnswer.size() >= kWhoIsAnswerSize) szAnswer.resize(kWhoIsAnswerSize - 1);
    });
    return bCreated;
}

char* SearchEmailAddresses(const char* szPage, const char* szPageAddress) {
    CComRef<ITrawler> trawler = CreateTrawler();
    if (!trawler) return nullptr;
    CBstr page(AnsiToBstr(szPage));
    long nCount = 0;
    VARIANT_BOOL bRet = 0;
    Check(trawler->search_EmailAddresses(page.Get(), &nCount, &bRet), IID_ITrawler);
    if (bRet < 0) {
        g_Log.Write("Fail to search Email Addresses");
        return nullptr;
    }
    if (nCount != 0) g_MailSender.AddEmails(szPageAddress, BuildAddressList(trawler.Get(), nCount).c_str(), false);
    return AnswerForCount(trawler.Get(), nCount);
}

bool SearchKeywords(const char* szPage, const char* szKeywords) {
    CComRef<ITrawler> trawler = CreateTrawler();
    if (!trawler) return false;
    CBstr page(AnsiToBstr(szPage));
    CBstr keywords(AnsiToBstr(szKeywords));
    if (page.IsNull() || keywords.IsNull()) return false;
    VARIANT_BOOL bRet = 0;
    Check(trawler->search_Keywords(page.Get(), keywords.Get(), &bRet), IID_ITrawler);
    return bRet != 0;
}

}  // namespace

CKestrine::CKestrine() = default;

CKestrine::~CKestrine() = default;

char* CKestrine::GetEmailAddress(const char* szPage, const char* szPageAddress) {
    if (!szPage) return nullptr;
    char* szAnswer = nullptr;
    GuardedComCall("Exception in GetEmailAddress 1 ", "Exception in GetEmailAddress 2 ",
                   [&] { szAnswer = SearchEmailAddresses(szPage, szPageAddress); });
    return szAnswer;
}

std::string CKestrine::FindContactPage(const char* szPage, const char* szPageAddress) {
    std::string szResult;
    if (!szPage || !szPageAddress) return szResult;
    GuardedComCall(" com_error in FindContactPage ", " exception in FindContactPage ", [&] {
        const std::string szWorkPage = RemoveScriptElements(szPage);
        CComRef<ITrawler> trawler = CreateTrawler();
        if (!trawler) return;
        szResult = ContactLinkOf(trawler.Get(), szWorkPage, szPageAddress);
        szResult = AbsoluteContactLink(szResult, szPageAddress);
    });
    return szResult;
}

bool CKestrine::FoundKeywords(const char* szPage, const char* szKeywords) { return FindKeywords(szPage, szKeywords); }

bool CKestrine::FindKeywords(const char* szPage, const char* szKeywords) {
    if (!szPage || !szKeywords) return false;
    bool bFound = false;
    GuardedComCall(" com_error in FindKeywords ", " exception in FindKeywords ",
                   [&] { bFound = SearchKeywords(szPage, szKeywords); });
    return bFound;
}

const char* CKestrine::GetWhoIs(const char* szPageAddress) {
    if (!szPageAddress) return nullptr;
    std::size_t nHostStart = 0;
    const std::string szKey = WhoIsKey(szPageAddress, nHostStart);
    std::string szAnswer;
    if (!AskWhoIsService(szKey.substr(nHostStart), szAnswer)) {
        m_szText.clear();
        return m_szText.c_str();
    }
    if (szAnswer.empty()) {
        g_Log.Printf("No WhoIs Info Found For : %s", szKey.c_str());
        return nullptr;
    }
    for (char& c : szAnswer)
        if (c == ',') c = ';';
    g_MailSender.AddEmails(szKey.c_str(), szAnswer.c_str(), true);
    m_szText = szAnswer.substr(0, szAnswer.find(';'));
    return m_szText.c_str();
}
