// regsvr32 registers and unregisters both components with the registry
// entries of their classes and type libraries. The prefix's registration is
// restored at the end of every test.
#include <windows.h>

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "component_test_util_win.h"

namespace {

struct ServerCase {
    const char* szLibrary;
    const wchar_t* szClsid;
    const wchar_t* szIid;
    const wchar_t* szLibId;
    const wchar_t* szClassName;
    const wchar_t* szProgId;
    const wchar_t* szVersionIndependentProgId;
};

const ServerCase kServers[] = {
    {"Kestrine.dll", L"{D3FBCA92-BF18-442A-8A4A-C5D35A7C6FC0}", L"{A1219ADD-3A40-4D4B-BA0A-6739D0C35E9C}",
     L"{016A0AB6-3E4C-4A2E-A1C2-C76F5C1352DC}", L"Trawler Class", L"Kestrine.Trawler.1", L"Kestrine.Trawler"},
    {"Ostrel.dll", L"{7C1ADA4A-0F32-4A3C-BA30-F4CA1CFA4198}", L"{DA7BAAC4-E555-4714-9B31-337F8CC8E0B9}",
     L"{19D52BBA-B2FA-46BB-B4D0-93B88520BB93}", L"COstrel Class", L"Ostrel.COstrel.1", L"Ostrel.COstrel"},
};

bool KeyExists(const std::wstring& key) {
    HKEY hKey = nullptr;
    if (RegOpenKeyExW(HKEY_CLASSES_ROOT, key.c_str(), 0, KEY_READ, &hKey) != ERROR_SUCCESS) return false;
    RegCloseKey(hKey);
    return true;
}

// The text value, or "<missing>".
std::wstring Value(const std::wstring& key, const wchar_t* szName = nullptr) {
    wchar_t szValue[2048] = L"";
    DWORD nBytes = sizeof szValue;
    if (RegGetValueW(HKEY_CLASSES_ROOT, key.c_str(), szName, RRF_RT_REG_SZ, nullptr, szValue, &nBytes) !=
        ERROR_SUCCESS)
        return L"<missing>";
    return szValue;
}

std::wstring Widen(const std::string& text) { return std::wstring(text.begin(), text.end()); }

int RegSvr32(const std::string& szOptions, const std::string& szPath) {
    return RunProcess("regsvr32 " + szOptions + " \"" + szPath + "\"", "", 60000);
}

class RegistrationTest : public ::testing::TestWithParam<ServerCase> {
protected:
    void TearDown() override { EXPECT_EQ(RegSvr32("/s", BinPath(GetParam().szLibrary)), 0); }
};

TEST_P(RegistrationTest, RegistersAndUnregistersItsKeys) {
    const ServerCase& c = GetParam();
    const std::string szPath = BinPath(c.szLibrary);
    const std::wstring classKey = std::wstring(L"CLSID\\") + c.szClsid;
    const std::wstring typeLibKey = std::wstring(L"TypeLib\\") + c.szLibId + L"\\1.0";

    ASSERT_EQ(RegSvr32("/s", szPath), 0);
    const struct {
        std::wstring key;
        const wchar_t* szName;
        std::wstring expected;
    } kValues[] = {
        {c.szProgId, nullptr, c.szClassName},
        {std::wstring(c.szProgId) + L"\\CLSID", nullptr, c.szClsid},
        {c.szVersionIndependentProgId, nullptr, c.szClassName},
        {std::wstring(c.szVersionIndependentProgId) + L"\\CLSID", nullptr, c.szClsid},
        {std::wstring(c.szVersionIndependentProgId) + L"\\CurVer", nullptr, c.szProgId},
        {classKey, nullptr, c.szClassName},
        {classKey + L"\\ProgID", nullptr, c.szProgId},
        {classKey + L"\\VersionIndependentProgID", nullptr, c.szVersionIndependentProgId},
        {classKey + L"\\InprocServer32", L"ThreadingModel", L"Apartment"},
        {classKey + L"\\TypeLib", nullptr, c.szLibId},
    };
    for (const auto& v : kValues) EXPECT_EQ(Value(v.key, v.szName), v.expected) << v.key.c_str();
    EXPECT_EQ(_wcsicmp(Value(classKey + L"\\InprocServer32").c_str(), Widen(szPath).c_str()), 0)
        << Value(classKey + L"\\InprocServer32").c_str();
    EXPECT_TRUE(KeyExists(classKey + L"\\Programmable"));
    // The type library, registered from the library's own path for this
    // kind of process (32- or 64-bit).
    const std::wstring platform = sizeof(void*) == 8 ? L"win64" : L"win32";
    EXPECT_EQ(_wcsicmp(Value(typeLibKey + L"\\409\\" + platform).c_str(), Widen(szPath).c_str()), 0);
    EXPECT_TRUE(KeyExists(std::wstring(L"Interface\\") + c.szIid));

    ASSERT_EQ(RegSvr32("/u /s", szPath), 0);
    EXPECT_TRUE(KeyExists(L"CLSID"));
    for (const std::wstring& key : {classKey, std::wstring(c.szProgId), std::wstring(c.szVersionIndependentProgId),
                                    typeLibKey})
        EXPECT_FALSE(KeyExists(key)) << key.c_str();
}

TEST_P(RegistrationTest, RegisteringAgainReplacesTheClassKey) {
    const ServerCase& c = GetParam();
    const std::wstring staleKey = std::wstring(L"CLSID\\") + c.szClsid + L"\\Stale";
    HKEY hKey = nullptr;
    ASSERT_EQ(RegCreateKeyExW(HKEY_CLASSES_ROOT, staleKey.c_str(), 0, nullptr, 0, KEY_WRITE, nullptr, &hKey, nullptr),
              ERROR_SUCCESS);
    RegCloseKey(hKey);
    ASSERT_EQ(RegSvr32("/s", BinPath(c.szLibrary)), 0);
    EXPECT_FALSE(KeyExists(staleKey));
}

INSTANTIATE_TEST_SUITE_P(Servers, RegistrationTest, ::testing::ValuesIn(kServers));

}  // namespace
