// Sending through the mail component: a class object registered by this
// test process stands in for whatever the prefix has registered, so every
// outcome of creation and of the call is under the test's control.
#include <gtest/gtest.h>

#include <windows.h>
#include <ole2.h>

#include <string>
#include <vector>

#include "report/mailing_list.h"
#include "support/log_capture.h"
#include "support/temp_folder.h"
#include "support/window_watch.h"

namespace {

const CLSID kClsidPostil = {0x35FC3696, 0x8302, 0x4D7C, {0xB2, 0x35, 0x82, 0x3E, 0xC5, 0x1C, 0xC2, 0xBE}};
const IID kIidPostil = {0x7DE77A73, 0x1DA5, 0x421C, {0xB3, 0x94, 0xAA, 0x8D, 0x80, 0xFA, 0x79, 0xBF}};

struct IMailSender : public IDispatch {
    virtual HRESULT STDMETHODCALLTYPE SendFile(BSTR bstrPath) = 0;
};

enum class EFake { Works, MethodFails, CreationFails, NoInterface };

struct FakeRecord {
    std::vector<std::wstring> calls;
    int nLive = 0;
};

class CFakeSender final : public IMailSender {
public:
    CFakeSender(EFake mode, FakeRecord& record) : m_mode(mode), m_record(record) { ++m_record.nLive; }

    HRESULT STDMETHODCALLTYPE QueryInterface(REFIID riid, void** ppv) override {
        bool bKnown = riid == IID_IUnknown || riid == IID_IDispatch || (riid == kIidPostil && m_mode != EFake::NoInterface);
        *ppv = bKnown ? static_cast<IMailSender*>(this) : nullptr;
        if (!bKnown) return E_NOINTERFACE;
        AddRef();
        return S_OK;
    }
    ULONG STDMETHODCALLTYPE AddRef() override { return ++m_nRefs; }
    ULONG STDMETHODCALLTYPE Release() override {
        ULONG nRefs = --m_nRefs;
        if (nRefs == 0) {
            --m_record.nLive;
            delete this;
        }
        return nRefs;
    }
    HRESULT STDMETHODCALLTYPE GetTypeInfoCount(UINT* pn) override { return *pn = 0, S_OK; }
    HRESULT STDMETHODCALLTYPE GetTypeInfo(UINT, LCID, ITypeInfo**) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE GetIDsOfNames(REFIID, LPOLESTR*, UINT, LCID, DISPID*) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE Invoke(DISPID, REFIID, LCID, WORD, DISPPARAMS*, VARIANT*, EXCEPINFO*, UINT*) override {
        return E_NOTIMPL;
    }
    HRESULT STDMETHODCALLTYPE SendFile(BSTR bstrPath) override {
        m_record.calls.emplace_back(bstrPath ? bstrPath : L"(null)");
        return m_mode == EFake::MethodFails ? E_FAIL : S_OK;
    }

private:
    EFake m_mode;
    FakeRecord& m_record;
    ULONG m_nRefs = 1;
};

class CFakeFactory : public IClassFactory {
public:
    CFakeFactory(EFake mode, FakeRecord& record) : m_mode(mode), m_record(record) {}
    HRESULT STDMETHODCALLTYPE QueryInterface(REFIID riid, void** ppv) override {
        *ppv = (riid == IID_IUnknown || riid == IID_IClassFactory) ? this : nullptr;
        return *ppv ? S_OK : E_NOINTERFACE;
    }
    ULONG STDMETHODCALLTYPE AddRef() override { return 2; }
    ULONG STDMETHODCALLTYPE Release() override { return 1; }
    HRESULT STDMETHODCALLTYPE CreateInstance(IUnknown* lpOuter, REFIID riid, void** ppv) override {
        *ppv = nullptr;
        if (lpOuter) return CLASS_E_NOAGGREGATION;
        if (m_mode == EFake::CreationFails) return E_FAIL;
        CFakeSender* lpSender = new CFakeSender(m_mode, m_record);
        HRESULT hr = lpSender->QueryInterface(riid, ppv);
        lpSender->Release();
        return hr;
    }
    HRESULT STDMETHODCALLTYPE LockServer(BOOL) override { return S_OK; }

private:
    EFake m_mode;
    FakeRecord& m_record;
};

class CRegisteredFake {
public:
    CRegisteredFake(EFake mode, FakeRecord& record) : m_factory(mode, record) {
        m_hr = CoRegisterClassObject(kClsidPostil, &m_factory, CLSCTX_INPROC_SERVER, REGCLS_MULTIPLEUSE, &m_dwCookie);
    }
    ~CRegisteredFake() {
        if (SUCCEEDED(m_hr)) CoRevokeClassObject(m_dwCookie);
    }
    HRESULT Result() const { return m_hr; }

private:
    CFakeFactory m_factory;
    DWORD m_dwCookie = 0;
    HRESULT m_hr;
};

class MailSend : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(SUCCEEDED(CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED)));
        m_sender.SetAddressFilePath(m_path.c_str());
    }
    void TearDown() override { CoUninitialize(); }

    // Sends while a second thread reads and dismisses the expected box.
    bool SendAnsweringBox(std::string& boxText) {
        CWindowScript script([&](DWORD dwThread) {
            HWND hBox = WaitForDialog(dwThread, "Pellmark");
            if (!hBox) return false;
            for (const std::string& text : StaticTexts(hBox)) boxText += text;
            PressButton(hBox, IDOK);
            return true;
        });
        bool bSent = m_sender.Send();
        EXPECT_TRUE(script.Join()) << "no message box appeared";
        return bSent;
    }

    CLogCapture m_log;
    CTempFolder m_folder;
    std::string m_path = m_folder.File("EmailAdd.txt");
    CPostil m_sender;
    FakeRecord m_record;
};

std::wstring Wide(const std::string& text) { return std::wstring(text.begin(), text.end()); }

TEST_F(MailSend, HandsTheAddressFileToTheComponent) {
    for (EFake mode : {EFake::Works, EFake::MethodFails}) {
        m_record.calls.clear();
        CRegisteredFake fake(mode, m_record);
        ASSERT_TRUE(SUCCEEDED(fake.Result()));
        ASSERT_TRUE(m_sender.AddEmails("http://a.example/", "a@a.example;", false));
        EXPECT_TRUE(m_sender.Send());
        EXPECT_EQ(m_record.calls, std::vector<std::wstring>{Wide(m_path)});
        EXPECT_EQ(m_record.nLive, 0) << "the component was not released";
        EXPECT_EQ(ReadWholeFile(m_path), "[http://a.example/]\r\r\na@a.example\r\r\n");
    }
}

TEST_F(MailSend, ComponentThatCannotBeHadIsReported) {
    for (EFake mode : {EFake::CreationFails, EFake::NoInterface}) {
        CRegisteredFake fake(mode, m_record);
        ASSERT_TRUE(SUCCEEDED(fake.Result()));
        ASSERT_TRUE(m_sender.AddEmails("http://a.example/", "a@a.example;", false));
        std::string boxText;
        EXPECT_FALSE(SendAnsweringBox(boxText));
        EXPECT_EQ(boxText, "Fail to Get Object of Postil Component");
        EXPECT_TRUE(m_record.calls.empty());
        EXPECT_EQ(m_record.nLive, 0);
    }
    EXPECT_TRUE(m_log.Holds("Fail to create instance of POSTILLib::Postil"));
}

TEST_F(MailSend, NothingToSendOrNowhereToWrite) {
    CRegisteredFake fake(EFake::Works, m_record);
    std::string boxText;
    EXPECT_FALSE(SendAnsweringBox(boxText));
    EXPECT_EQ(boxText, "Sorry, No Email Addresses Trawled !!");
    EXPECT_EQ(GetFileAttributesA(m_path.c_str()) != INVALID_FILE_ATTRIBUTES, true);
    EXPECT_EQ(ReadWholeFile(m_path), "");

    ASSERT_TRUE(m_sender.AddEmails("http://a.example/", "a@a.example;", false));
    m_sender.SetAddressFilePath(m_folder.File("missing\\EmailAdd.txt").c_str());
    boxText.clear();
    EXPECT_FALSE(SendAnsweringBox(boxText));
    EXPECT_EQ(boxText, "Fail to open file");
    EXPECT_TRUE(m_record.calls.empty());
}

}  // namespace
