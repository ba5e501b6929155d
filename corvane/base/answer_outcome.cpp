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

const char* OutcomeText(AnswerOutcome eOutcome) {
    switch (eOutcome) {
    case AnswerOutcome::Ok: return "an answer";
    case AnswerOutcome::RateLimited: return "asked to wait (429)";
    case AnswerOutcome::Malformed: return "a malformed answer";
    case AnswerOutcome::ServiceFault: return "a server fault";
    case AnswerOutcome::JsonNotServed: return "JSON not served";
    case AnswerOutcome::RequestRefused: return "the request refused";
    case AnswerOutcome::KeyRefused: return "the key refused";
    case AnswerOutcome::QuotaUsedUp: return "the quota used up";
    }
    return "an unknown outcome";
}
