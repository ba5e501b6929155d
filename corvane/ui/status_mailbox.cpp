#include "ui/status_mailbox.h"

#include <memory>

CStatusMailbox::~CStatusMailbox() { Clear(); }

void CStatusMailbox::Clear() { delete m_pending.exchange(nullptr); }

void CStatusMailbox::Put(const char* szText, int nPosition) {
    delete m_pending.exchange(new Status{szText ? szText : "", nPosition});
}

bool CStatusMailbox::Take(std::string& text, int& nPosition) {
    std::unique_ptr<Status> status(m_pending.exchange(nullptr));
    if (!status) return false;
    text = std::move(status->text);
    nPosition = status->nPosition;
    return true;
}
