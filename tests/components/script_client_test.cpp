// Both components driven by an automation client that is not ours: a
// VBScript run by the system's script host, creating them by ProgID and
// calling every method a script can call, late bound.
#include "scripted_server_win.h"

#include <windows.h>

#include <gtest/gtest.h>

#include <string>

#include "component_test_util_win.h"
#include "support/options_sandbox.h"
#include "support/temp_folder.h"

namespace {

const char kScript[] =
    "Set k = CreateObject(\"Kestrine.Trawler\")\r\n"
    "WScript.Echo CInt(k.search_Keywords(\"<p>cheap <b>fli</b>ghts</p>\", \"hotels\" & vbCrLf & \"flights\"))\r\n"
    "Set k2 = CreateObject(\"Kestrine.Trawler\")\r\n"
    "WScript.Echo CInt(k2.search_Keywords(\"<p>cheap flights</p>\", \"Flights\"))\r\n"
    "WScript.Echo \"[\" & k2.get_ContactPage(\"<a href=\"\"/home\"\">Home</a><a href=\"\"/c.htm\"\">Contact Us</a>\", "
    "\"contact;contact us\", \"http://site/\") & \"]\"\r\n"
    "Set o = CreateObject(\"Ostrel.COstrel\")\r\n"
    "WScript.Echo \"[\" & o.GetEMail(\"example.com\") & \"]\"\r\n"
    "WScript.Echo \"[\" & o.GetEMails(\"example.com\") & \"]\"\r\n"
    "WScript.Echo \"[\" & o.GetEMails(\"\") & \"]\"\r\n";

TEST(ScriptClient, CallsEveryScriptableMethodByName) {
    COptionsSandbox sandbox;  // no sources key: the classic WhoIs lookup page
    simweb::CScriptedServer server(PELLMARK_WHOIS_HOST);
    ASSERT_TRUE(server.Listen());
    server.ServeBody("<pre>Registrant Email: owner@example.com\r\nAdmin Email: admin@example.com</pre>");
    CTempFolder folder;
    WriteWholeFile(folder.File("components.vbs"), kScript);
    const std::string szOutput = folder.File("output.txt");
    ASSERT_EQ(RunProcess("cscript.exe //nologo \"" + folder.File("components.vbs") + "\"", szOutput, 120000), 0)
        << ReadWholeFile(szOutput);
    EXPECT_EQ(ReadWholeFile(szOutput),
              "1\r\n"
              "0\r\n"
              "[/c.htm]\r\n"
              "[owner@example.com]\r\n"
              "[owner@example.com,admin@example.com,]\r\n"
              "[]\r\n");
    // Two lookups reached the service; the empty domain made none.
    EXPECT_EQ(server.RequestCount(), 2u);
}

}  // namespace
