#pragma once
// The mailing list a run fills, worked out from the corpus, and "&Send Mail"
// pressed as a user presses it, with its address file checked.
#include "end_to_end_runs/run_web.h"

#include <map>
#include <string>
#include <vector>

#include "support/temp_folder.h"

// The mailing list as page evaluation fills it: addresses per page, and
// per WhoIs domain (the page address cut after its host).
struct MailingList {
    std::map<std::string, std::vector<std::string>> pages;
    std::map<std::string, std::vector<std::string>> whois;
};

// With the e-mail option, the addresses of every accepted page that shows
// some; with the WhoIs option, the WhoIs addresses of the host of every
// evaluated page (the first page of a host files them).
MailingList ExpectedMailingList(const simweb::CCorpus& corpus, const PageOptions& options,
                                const std::vector<int>& evaluated, const std::vector<int>& accepted);
// The WhoIs key of a page address: the address up to the end of its host.
std::string WhoIsKey(const std::string& pageAddress);
// "EmailAdd.txt" as written: headings and addresses, no line twice, each
// line ended by the text-mode "\r\n" (a carriage return, then "\r\n").
std::string ExpectedAddressFile(const MailingList& list);

// While it lives, the mail component records what it read instead of
// opening its window, and the address file goes to a folder of its own.
class CSentMail {
public:
    CSentMail();
    ~CSentMail();
    CSentMail(const CSentMail&) = delete;
    CSentMail& operator=(const CSentMail&) = delete;

    // Presses "&Send Mail": the address file holds the list and went to the
    // mail component, or, for an empty list, the program says that nothing
    // was found and the file is empty.
    void ExpectSent(const CMainWindowHarness& window, const MailingList& list) const;

private:
    CTempFolder m_folder;
    std::string m_savedAddressFile;
};
