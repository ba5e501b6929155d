#pragma once
// Answer outcomes by name in test messages.
#include <ostream>

#include "base/answer_outcome.h"

inline void PrintTo(AnswerOutcome eOutcome, std::ostream* lpStream) {
    static const char* const kNames[] = {"Ok",           "RateLimited",    "Malformed",  "ServiceFault",
                                         "JsonNotServed", "RequestRefused", "KeyRefused", "QuotaUsedUp"};
    *lpStream << kNames[static_cast<int>(eOutcome)];
}
