#include "base/answer_outcome.h"

bool IsConfigurationFault(AnswerOutcome eOutcome) {
    switch (eOutcome) {
    case AnswerOutcome::JsonNotServed:
    case AnswerOutcome::RequestRefused:
    case AnswerOutcome::KeyRefused:
    case AnswerOutcome::QuotaUsedUp:
        return true;
    default:
        return false;
    }
}

AnswerOutcome OutcomeOfStatus(int nStatus) {
    if (nStatus >= 200 && nStatus <= 299) return AnswerOutcome::Ok;
    if (nStatus == 429) return AnswerOutcome::RateLimited;
    if (nStatus >= 400 && nStatus <= 499) return AnswerOutcome::RequestRefused;
    return AnswerOutcome::ServiceFault;
}
