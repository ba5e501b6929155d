// Kestrine as a COM server: class factory, aggregation, unloading, the
// interface layout and late binding, and the methods' answers through the
// interface slots.
#include <windows.h>

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "component_test_util_win.h"
#include "kestrine_h.h"

namespace {

typedef HRESULT(STDAPICALLTYPE* GetClassObjectProc)(REFCLSID, REFIID, void**);
typedef HRESULT(STDAPICALLTYPE* CanUnloadProc)();

class KestrineTest : public ::testing::Test {
protected:
    CComRef<ITrawler> NewTrawler() {
        CComRef<ITrawler> trawler;
        EXPECT_EQ(CoCreateInstance(CLSID_Trawler, nullptr, CLSCTX_INPROC_SERVER, IID_ITrawler, trawler.ReceiveVoid()),
                  S_OK);
        return trawler;
    }
    long SearchEmails(ITrawler* lpTrawler, const std::string& szPage) {
        CBstr page = MakeBstr(szPage);
        long nCount = -1;
        VARIANT_BOOL bRet = 0;
        EXPECT_EQ(lpTrawler->search_EmailAddresses(page.Get(), &nCount, &bRet), S_OK);
        EXPECT_EQ(bRet, 1);
        return nCount;
    }
    std::string EmailAt(ITrawler* lpTrawler, long nIndex) {
        CBstr email;
        VARIANT_BOOL bRet = 0;
        EXPECT_EQ(lpTrawler->get_EmailAt(nIndex, email.Receive(), &bRet), S_OK);
        EXPECT_EQ(bRet, 1);
        EXPECT_FALSE(email.IsNull());
        return BstrToAnsi(email.Get());
    }
    VARIANT_BOOL SearchKeywords(ITrawler* lpTrawler, const std::string& szPage, const std::string& szKeywords) {
        CBstr page = MakeBstr(szPage), keywords = MakeBstr(szKeywords);
        VARIANT_BOOL bRet = -5;
        EXPECT_EQ(lpTrawler->search_Keywords(page.Get(), keywords.Get(), &bRet), S_OK);
        return bRet;
    }

    CComScope m_com;
};

// The library loaded a second time by the test itself, for the exports.
class CServerLibrary {
public:
    CServerLibrary() : m_hLibrary(LoadLibraryA(BinPath("Kestrine.dll").c_str())) {}
    ~CServerLibrary() {
        if (m_hLibrary) FreeLibrary(m_hLibrary);
    }
    CComRef<IClassFactory> Factory() {
        CComRef<IClassFactory> factory;
        auto lpGet = Export<GetClassObjectProc>("DllGetClassObject");
        if (lpGet) lpGet(CLSID_Trawler, IID_IClassFactory, factory.ReceiveVoid());
        return factory;
    }
    HRESULT CanUnloadNow() {
        auto lpCanUnload = Export<CanUnloadProc>("DllCanUnloadNow");
        return lpCanUnload ? lpCanUnload() : E_FAIL;
    }
    HMODULE Handle() const { return m_hLibrary; }
    // Through the generic function pointer: GetProcAddress knows no signature.
    template <typename T>
    T Export(const char* szName) const {
        return reinterpret_cast<T>(reinterpret_cast<void (*)()>(GetProcAddress(m_hLibrary, szName)));
    }

private:
    HMODULE m_hLibrary;
};

// An outer object that counts what reaches it through the inner object.
class COuter : public IUnknown {
public:
    STDMETHODIMP QueryInterface(REFIID riid, void** ppv) override {
        ++m_nQueries;
        if (IsEqualIID(riid, IID_IUnknown)) {
            *ppv = this;
            AddRef();
            return S_OK;
        }
        *ppv = nullptr;
        return E_NOINTERFACE;
    }
    STDMETHODIMP_(ULONG) AddRef() override { return ++m_nRefs; }
    STDMETHODIMP_(ULONG) Release() override { return --m_nRefs; }
    ULONG m_nRefs = 1;
    int m_nQueries = 0;
};

TEST_F(KestrineTest, ClassFactoryAnswers) {
    CServerLibrary library;
    ASSERT_NE(library.Handle(), nullptr);
    CComRef<IClassFactory> factory = library.Factory();
    ASSERT_TRUE(factory);
    EXPECT_EQ(factory->CreateInstance(nullptr, IID_ITrawler, nullptr), E_POINTER);
    void* lpObject = reinterpret_cast<void*>(1);
    EXPECT_EQ(factory->CreateInstance(nullptr, IID_IClassFactory, &lpObject), E_NOINTERFACE);
    EXPECT_EQ(lpObject, nullptr);

    auto lpGet = library.Export<GetClassObjectProc>("DllGetClassObject");
    ASSERT_NE(lpGet, nullptr);
    CComRef<IClassFactory> other;
    EXPECT_EQ(lpGet(IID_ITrawler, IID_IClassFactory, other.ReceiveVoid()), CLASS_E_CLASSNOTAVAILABLE);
}

TEST_F(KestrineTest, AggregationOnlyForIUnknown) {
    CServerLibrary library;
    CComRef<IClassFactory> factory = library.Factory();
    ASSERT_TRUE(factory);
    COuter outer;
    void* lpObject = reinterpret_cast<void*>(1);
    EXPECT_EQ(factory->CreateInstance(&outer, IID_ITrawler, &lpObject), CLASS_E_NOAGGREGATION);
    EXPECT_EQ(lpObject, nullptr);

    CComRef<IUnknown> inner;
    ASSERT_EQ(factory->CreateInstance(&outer, IID_IUnknown, inner.ReceiveVoid()), S_OK);
    ITrawler* lpTrawler = nullptr;
    ASSERT_EQ(inner->QueryInterface(IID_ITrawler, reinterpret_cast<void**>(&lpTrawler)), S_OK);
    // The part's own IUnknown methods belong to the outer object.
    EXPECT_EQ(outer.m_nRefs, 2u);
    IUnknown* lpFromPart = nullptr;
    EXPECT_EQ(lpTrawler->QueryInterface(IID_IUnknown, reinterpret_cast<void**>(&lpFromPart)), S_OK);
    EXPECT_EQ(lpFromPart, static_cast<IUnknown*>(&outer));
    EXPECT_EQ(outer.m_nQueries, 1);
    lpFromPart->Release();
    lpTrawler->Release();
    EXPECT_EQ(outer.m_nRefs, 1u);
}

TEST_F(KestrineTest, CanUnloadOnlyWhenNothingIsAlive) {
    CServerLibrary library;
    {
        CComRef<IClassFactory> factory = library.Factory();
        ASSERT_TRUE(factory);
        CComRef<ITrawler> trawler;
        ASSERT_EQ(factory->CreateInstance(nullptr, IID_ITrawler, trawler.ReceiveVoid()), S_OK);
        factory.Reset();
        EXPECT_EQ(library.CanUnloadNow(), S_FALSE);
        trawler.Reset();
        EXPECT_EQ(library.CanUnloadNow(), S_OK);
    }
    CComRef<IClassFactory> factory = library.Factory();
    ASSERT_TRUE(factory);
    EXPECT_EQ(library.CanUnloadNow(), S_OK) << "a class object alone holds no lock";
    EXPECT_EQ(factory->LockServer(TRUE), S_OK);
    factory.Reset();
    EXPECT_EQ(library.CanUnloadNow(), S_FALSE);
    library.Factory()->LockServer(FALSE);
    EXPECT_EQ(library.CanUnloadNow(), S_OK);
}

struct MethodSlot {
    const wchar_t* szName;
    DISPID dispId;
};

const MethodSlot kSlots[] = {
    {L"GetInstanceCountFromFile", 1}, {L"GetInstanceCountFromURL", 2}, {L"get_EmailAt", 4},
    {L"search_EmailAddresses", 5},    {L"search_Keywords", 6},         {L"get_ContactPage", 7},
};

TEST_F(KestrineTest, TypeInformationHasTheSlotsInOrderWithTheirDispIds) {
    CComRef<ITrawler> trawler = NewTrawler();
    ASSERT_TRUE(trawler);
    CComRef<ITypeInfo> typeInfo;
    ASSERT_EQ(trawler->GetTypeInfo(0, 0x409, typeInfo.Receive()), S_OK);
    // The dispatch description refers to the interface with the slots.
    HREFTYPE hRef = 0;
    CComRef<ITypeInfo> vtable;
    ASSERT_EQ(typeInfo->GetRefTypeOfImplType(-1, &hRef), S_OK);
    ASSERT_EQ(typeInfo->GetRefTypeInfo(hRef, vtable.Receive()), S_OK);
    for (UINT i = 0; i < sizeof kSlots / sizeof kSlots[0]; ++i) {
        FUNCDESC* lpFunc = nullptr;
        ASSERT_EQ(vtable->GetFuncDesc(i, &lpFunc), S_OK);
        EXPECT_EQ(lpFunc->memid, kSlots[i].dispId);
        EXPECT_EQ(lpFunc->oVft, static_cast<SHORT>((7 + i) * sizeof(void*)));
        EXPECT_EQ(lpFunc->invkind, INVOKE_FUNC);
        CBstr name;
        UINT nNames = 0;
        vtable->GetNames(lpFunc->memid, name.Receive(), 1, &nNames);
        EXPECT_STREQ(name.Get(), kSlots[i].szName);
        vtable->ReleaseFuncDesc(lpFunc);
    }
}

TEST_F(KestrineTest, LateBoundNamesGiveTheTableDispIds) {
    CComRef<IDispatch> dispatch;
    ASSERT_EQ(CoCreateInstance(CLSID_Trawler, nullptr, CLSCTX_INPROC_SERVER, IID_IDispatch, dispatch.ReceiveVoid()),
              S_OK);
    for (int nRound = 0; nRound < 2; ++nRound) {  // the second round is served from the name cache
        for (const MethodSlot& slot : kSlots) {
            LPOLESTR szName = const_cast<LPOLESTR>(slot.szName);
            DISPID dispId = 0;
            EXPECT_EQ(dispatch->GetIDsOfNames(IID_NULL, &szName, 1, 0x409, &dispId), S_OK);
            EXPECT_EQ(dispId, slot.dispId);
        }
    }
    LPOLESTR szName = const_cast<LPOLESTR>(L"SEARCH_KEYWORDS");
    DISPID dispId = 0;
    EXPECT_EQ(dispatch->GetIDsOfNames(IID_NULL, &szName, 1, 0x409, &dispId), S_OK);
    EXPECT_EQ(dispId, 6);
    szName = const_cast<LPOLESTR>(L"NoSuchMethod");
    EXPECT_EQ(dispatch->GetIDsOfNames(IID_NULL, &szName, 1, 0x409, &dispId), DISP_E_UNKNOWNNAME);
    DISPPARAMS none{};
    VARIANT result;
    VariantInit(&result);
    EXPECT_EQ(dispatch->Invoke(3, IID_NULL, 0x409, DISPATCH_METHOD, &none, &result, nullptr, nullptr),
              DISP_E_MEMBERNOTFOUND);
}

TEST_F(KestrineTest, LateBoundCallsReachTheMethods) {
    CComRef<IDispatch> dispatch;
    ASSERT_EQ(CoCreateInstance(CLSID_Trawler, nullptr, CLSCTX_INPROC_SERVER, IID_IDispatch, dispatch.ReceiveVoid()),
              S_OK);
    // search_EmailAddresses(InBuf, [out] pCount): arguments go in reverse.
    CBstr page = MakeBstr("write to a@b.cc or c@d.ee");
    LONG nCount = -1;
    VARIANTARG args[2];
    args[1].vt = VT_BSTR;
    args[1].bstrVal = page.Get();
    args[0].vt = VT_BYREF | VT_I4;
    args[0].plVal = &nCount;
    DISPPARAMS params{args, nullptr, 2, 0};
    VARIANT result;
    VariantInit(&result);
    ASSERT_EQ(dispatch->Invoke(5, IID_NULL, 0x409, DISPATCH_METHOD, &params, &result, nullptr, nullptr), S_OK);
    EXPECT_EQ(nCount, 2);
    EXPECT_EQ(result.vt, VT_BOOL);
    EXPECT_EQ(result.boolVal, 1);

    // get_ContactPage(buffer, szFind, szURL) returns the target.
    CBstr links = MakeBstr("<a href=\"/contact.htm\">Contact</a>"), words = MakeBstr("contact"),
          address = MakeBstr("http://x.com/");
    VARIANTARG contactArgs[3];
    contactArgs[2].vt = contactArgs[1].vt = contactArgs[0].vt = VT_BSTR;
    contactArgs[2].bstrVal = links.Get();
    contactArgs[1].bstrVal = words.Get();
    contactArgs[0].bstrVal = address.Get();
    DISPPARAMS contactParams{contactArgs, nullptr, 3, 0};
    VARIANT contact;
    VariantInit(&contact);
    ASSERT_EQ(dispatch->Invoke(7, IID_NULL, 0x409, DISPATCH_METHOD, &contactParams, &contact, nullptr, nullptr), S_OK);
    ASSERT_EQ(contact.vt, VT_BSTR);
    EXPECT_STREQ(contact.bstrVal, L"/contact.htm");
    VariantClear(&contact);
}

TEST_F(KestrineTest, EmailListAnswers) {
    CComRef<ITrawler> trawler = NewTrawler();
    ASSERT_TRUE(trawler);
    EXPECT_EQ(SearchEmails(trawler.Get(), ""), 0);
    EXPECT_EQ(SearchEmails(trawler.Get(), "x@y.com and x@y.com."), 2);
    // A second search adds to the same list.
    EXPECT_EQ(SearchEmails(trawler.Get(), "root@[10.0.0.1]"), 3);
    EXPECT_EQ(EmailAt(trawler.Get(), 0), "x@y.com");
    EXPECT_EQ(EmailAt(trawler.Get(), 1), "x@y.com");
    EXPECT_EQ(EmailAt(trawler.Get(), 2), "root@[10.0.0.1]");
    EXPECT_EQ(EmailAt(trawler.Get(), -1), "");
    EXPECT_EQ(EmailAt(trawler.Get(), 3), "");
    // A keyword search lands in the same list, and so answers true now.
    EXPECT_EQ(SearchKeywords(trawler.Get(), "<p>nothing here</p>", "absent"), 1);
}

TEST_F(KestrineTest, EmailAtRemovesMailto) {
    CComRef<ITrawler> trawler = NewTrawler();
    ASSERT_TRUE(trawler);
    // Only a keyword match can hold "mailto:"; it shares the list.
    EXPECT_EQ(SearchKeywords(trawler.Get(), "<p>mailto:me mailto:</p>", "mailto:me"), 1);
    EXPECT_EQ(EmailAt(trawler.Get(), 0), "me");
}

TEST_F(KestrineTest, NullTextsFindNothing) {
    CComRef<ITrawler> trawler = NewTrawler();
    ASSERT_TRUE(trawler);
    long nCount = -1;
    VARIANT_BOOL bRet = 0;
    EXPECT_EQ(trawler->search_EmailAddresses(nullptr, &nCount, &bRet), S_OK);
    EXPECT_EQ(nCount, 0);
    EXPECT_EQ(bRet, 1);
    bRet = -1;
    EXPECT_EQ(trawler->search_Keywords(nullptr, nullptr, &bRet), S_OK);
    EXPECT_EQ(bRet, 0);
    CBstr contact;
    EXPECT_EQ(trawler->get_ContactPage(nullptr, nullptr, nullptr, contact.Receive()), S_OK);
    ASSERT_FALSE(contact.IsNull());
    EXPECT_EQ(SysStringLen(contact.Get()), 0u);
}

TEST_F(KestrineTest, KeywordsOnFreshObjects) {
    const struct {
        const char* szPage;
        const char* szKeywords;
        VARIANT_BOOL bExpected;
    } kCases[] = {
        {"<p>cheap flights</p>", "flights", 1},
        {"<p>cheap flights</p>", "Flights", 0},
        {"<p>cheap flights</p>", "\r\n\r\n", 0},
        {"<p>cheap flights</p>", "(bad", 0},
        {"<p>cheap flights</p>", "\r\nhotels\r\n\r\nflights", 1},
    };
    for (const auto& c : kCases) {
        CComRef<ITrawler> trawler = NewTrawler();
        ASSERT_TRUE(trawler);
        EXPECT_EQ(SearchKeywords(trawler.Get(), c.szPage, c.szKeywords), c.bExpected) << c.szKeywords;
    }
}

TEST_F(KestrineTest, ContactPageIsTheTargetAsWritten) {
    CComRef<ITrawler> trawler = NewTrawler();
    ASSERT_TRUE(trawler);
    CBstr page = MakeBstr("<a href=\"../about/index.htm\">About us</a>"), words = MakeBstr("contact;about us");
    CBstr contact;
    EXPECT_EQ(trawler->get_ContactPage(page.Get(), words.Get(), nullptr, contact.Receive()), S_OK);
    EXPECT_EQ(BstrToAnsi(contact.Get()), "../about/index.htm");
}

TEST_F(KestrineTest, InstanceCountsLeaveTheirOutputsAlone) {
    CComRef<ITrawler> trawler = NewTrawler();
    ASSERT_TRUE(trawler);
    CBstr text = MakeBstr("a a a"), search = MakeBstr("a");
    long nCount = 77;
    VARIANT_BOOL bRet = 5;
    EXPECT_EQ(trawler->GetInstanceCountFromFile(text.Get(), search.Get(), &nCount, &bRet), S_OK);
    EXPECT_EQ(trawler->GetInstanceCountFromURL(text.Get(), search.Get(), &nCount, &bRet), S_OK);
    EXPECT_EQ(nCount, 77);
    EXPECT_EQ(bRet, 5);
}

TEST_F(KestrineTest, AddressAfterALargeInlineImageIsFound) {
    CComRef<ITrawler> trawler = NewTrawler();
    ASSERT_TRUE(trawler);
    std::string szPage = "<img src=\"data:image/png;base64,";
    for (int i = 0; i < 100000; ++i) szPage += "QUJD"[i % 4];
    szPage += "\"><p>mail: webmaster@site.example.org</p>";
    EXPECT_EQ(SearchEmails(trawler.Get(), szPage), 1);
    EXPECT_EQ(EmailAt(trawler.Get(), 0), "webmaster@site.example.org");
}

}  // namespace
