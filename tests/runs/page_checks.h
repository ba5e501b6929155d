#pragma once
// What the content checks of page evaluation must find on a page of the
// local web, worked out from the page itself by the checks' rules: the
// contact-page link and the keyword test; and the address file the mailing
// list writes from what the checks found.
#include <map>
#include <string>
#include <vector>

// The link words the program looks for, separated by ";".
constexpr char kContactWords[] = "contact;contact us;contactus;about;about us;aboutus;feedback";

// The contact page: the target of the first link whose text is a link
// word, made absolute against the page's address; empty when none.
std::string ContactLink(const std::string& html, const std::string& pageAddress);
// Whether one of the keywords stands as a whole word in the page's
// visible text (scripts, tags and character references taken out).
bool HoldsKeyword(const std::string& html, const std::vector<std::string>& keywords);

// The mailing list as page evaluation fills it: addresses per page, and
// per WhoIs domain (the page address cut after its host).
struct MailingList {
    std::map<std::string, std::vector<std::string>> pages;
    std::map<std::string, std::vector<std::string>> whois;
};
// The WhoIs key of a page address: the address up to the end of its host.
std::string WhoIsKey(const std::string& pageAddress);
// "EmailAdd.txt" as written: headings and addresses, no line twice, each
// line ended by the text-mode "\r\n" (a carriage return, then "\r\n").
std::string ExpectedAddressFile(const MailingList& list);
