#pragma once
// The fixture of a whole-program test: one local web for the test program,
// started before its first case, and a settings key each case stores
// afresh for the program it starts.
#include <gtest/gtest.h>

#include <memory>
#include <string>

#include "end_to_end_runs/run_web.h"
#include "support/options_sandbox.h"

template <typename TestBase>
class CProgramWebTest : public TestBase {
protected:
    // Sites from szSiteBase, and the hostile ones from szHostileBase when given.
    static void StartProgramWeb(const char* szSiteBase, const char* szHostileBase = nullptr) {
        s_web = std::make_unique<simweb::CSimWeb>();
        std::string error;
        if (!StartRunWeb(*s_web, szSiteBase, 0, error, "", szHostileBase)) ADD_FAILURE() << error;
    }
    static void TearDownTestSuite() { s_web.reset(); }

    const simweb::CCorpus& Corpus() const { return s_web->Corpus(); }

    inline static std::unique_ptr<simweb::CSimWeb> s_web;
    COptionsSandbox m_options;
};
