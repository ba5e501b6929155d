#include "corpus_generator.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <set>

#include "sim_text.h"

namespace simweb {

namespace {

// Deterministic everywhere (the standard distributions are not).
class CRandom {
public:
    explicit CRandom(uint64_t nSeed) : m_state(nSeed * 0x9E3779B97F4A7C15ull + 0x1234567ull) {}
    uint64_t Next() {
        uint64_t z = (m_state += 0x9E3779B97F4A7C15ull);
        z = (z ^ (z >> 30)) * 0xBF58476D1CE4E5B9ull;
        z = (z ^ (z >> 27)) * 0x94D049BB133111EBull;
        return z ^ (z >> 31);
    }
    int Below(int n) { return n <= 0 ? 0 : static_cast<int>(Next() % static_cast<uint64_t>(n)); }
    bool Chance(int nPercent) { return Below(100) < nPercent; }
    // Zipf-like: small indexes far more often than large ones.
    int Skewed(int n) {
        int a = Below(n), b = Below(n);
        return std::min(a, b) * Below(n) / std::max(n, 1);
    }
    template <class T>
    const T& Pick(const std::vector<T>& items) {
        return items[static_cast<std::size_t>(Below(static_cast<int>(items.size())))];
    }

private:
    uint64_t m_state;
};

// Enough links per page that rounding a page's links out to a whole
// number barely disturbs the balance described at PlanLinks.
constexpr double kLeastLinksIn = 8.0;

const std::vector<std::string> kSyllables = {
    "blue", "fish", "red", "oak", "stone", "river", "sun", "moon", "green", "hill", "bay", "wood",
    "gold", "star", "lake", "pine", "rock", "sea", "wind", "fox", "bear", "wolf", "iron", "silver",
    "maple", "cedar", "north", "south", "east", "west", "bright", "swift", "cloud", "snow", "fire", "field"};

const std::vector<std::string> kVocabulary = {
    "garden", "flower", "seed", "soil", "water", "plant", "tree", "rose", "tulip", "lawn", "compost", "pruning",
    "fishing", "boat", "lure", "tackle", "trout", "salmon", "river", "reel", "bait", "angler", "harbour", "sailing",
    "camera", "lens", "photo", "light", "shutter", "portrait", "landscape", "print", "film", "studio", "flash", "zoom",
    "recipe", "bread", "cheese", "wine", "kitchen", "baking", "pasta", "sauce", "oven", "spice", "dinner", "butter",
    "bicycle", "wheel", "saddle", "chain", "pedal", "racing", "mountain", "trail", "helmet", "tyre", "gear", "brake",
    "guitar", "piano", "violin", "concert", "song", "melody", "rhythm", "band", "drum", "album", "choir", "lesson",
    "travel", "hotel", "beach", "island", "ticket", "flight", "museum", "castle", "village", "tour", "map", "cruise",
    "software", "server", "network", "database", "program", "linux", "windows", "email", "website", "hosting",
    "domain", "browser", "computer", "keyboard", "printer", "memory", "storage", "backup", "security", "update",
    "house", "roof", "window", "door", "paint", "floor", "timber", "brick", "tiles", "plumbing", "heating", "repair",
    "dog", "cat", "horse", "puppy", "kitten", "training", "grooming", "veterinary", "pet", "collar", "leash", "food",
    "book", "novel", "poetry", "author", "library", "reading", "history", "science", "story", "chapter", "publisher",
    "health", "fitness", "running", "yoga", "diet", "vitamin", "sleep", "walking", "swimming", "tennis", "golf",
    "car", "engine", "motor", "insurance", "loan", "mortgage", "bank", "price", "market", "shop", "sale", "offer"};

const std::vector<std::string> kCommonWords = {
    "the", "and", "with", "for", "our", "new", "best", "good", "great", "small", "local", "free", "quality",
    "guide", "tips", "news", "page", "information", "service", "products", "people", "home", "time", "year"};

const std::vector<std::string> kMailboxes = {"info", "sales", "support", "webmaster", "office", "j.smith",
                                             "Enquiries", "mary_jones", "team-lead"};

std::string Capitalised(std::string word) {
    if (!word.empty() && word[0] >= 'a' && word[0] <= 'z') word[0] = static_cast<char>(word[0] - 'a' + 'A');
    return word;
}

// A link as the generator writes it: an address that the page's text
// holds as such, or a value relative to the page.
struct Href {
    std::string value;
    bool bAbsolute = false;
};

// The links written into one page that the program counts as outbound:
// every absolute address (in any quotes, or none), and each relative value
// written in double quotes once, whatever its letter case; a relative
// value in single quotes is not seen.
class CLinkTally {
public:
    void Absolute() { ++m_nAbsolute; }
    void Relative(const std::string& value, bool bDoubleQuoted) {
        if (bDoubleQuoted) m_relative.insert(ToLower(value));
    }
    int Count() const { return m_nAbsolute + static_cast<int>(m_relative.size()); }

private:
    int m_nAbsolute = 0;
    std::set<std::string> m_relative;
};

struct PagePlan {
    int site = 0;
    std::string rel;    // path inside the site folder, e.g. "articles/trout-4.html"
    std::string title;
    std::vector<int> crossLinks;
    std::vector<int> siteLinks;
};

struct SitePlan {
    std::string name;
    SiteScheme scheme = SiteScheme::Plain;
    std::vector<std::string> topic;  // the site's own slice of the vocabulary
    std::vector<int> pages;
};

class CGenerator {
public:
    CGenerator(const GenerateSpec& spec, const std::vector<std::string>& hosts)
        : m_spec(spec), m_hosts(hosts), m_random(spec.nSeed) {}

    void Run(CCorpus& corpus, bool bBuild) {
        PlanSites();
        PlanLinks();
        for (std::size_t s = 0; s < m_sites.size(); ++s) {
            int site = corpus.AddSite(m_sites[s].name, m_hosts[s], PlanWhoIs(m_sites[s].name), m_sites[s].scheme);
            for (int page : m_sites[s].pages) {
                m_tally = CLinkTally();
                int id = corpus.AddPage(site, "/" + m_sites[s].name + "/" + m_pages[page].rel, RenderPage(page));
                corpus.SetOutboundCount(id, m_tally.Count());
            }
        }
        if (bBuild) corpus.Build();
    }

private:
    std::string SiteName(std::set<std::string>& used) {
        std::string name = m_random.Pick(kSyllables) + m_random.Pick(kSyllables);
        std::string unique = name;
        for (int n = 2; used.count(unique); ++n) unique = name + std::to_string(n);
        used.insert(unique);
        return unique + ".com";
    }

    std::string PageRel(int nIndex, bool bFeedback, const SitePlan& site) {
        static const char* const kFixed[] = {"index.html", "about.html", "contact.html"};
        if (nIndex < 3) return kFixed[nIndex];
        if (nIndex == 3 && bFeedback) return "feedback.html";
        return "articles/" + m_random.Pick(site.topic) + "-" + std::to_string(nIndex) + ".html";
    }

    void PlanSites() {
        std::set<std::string> used;
        std::vector<std::string> names;
        for (int s = 0; s < m_spec.nSites; ++s) names.push_back(SiteName(used));
        // Sites are numbered in name order, as a loaded corpus numbers them.
        std::sort(names.begin(), names.end());
        for (const std::string& name : names) {
            SitePlan site;
            site.name = name;
            if (m_spec.bToday) site.scheme = TodaySiteScheme(m_sites.size());
            int nTopic = m_random.Below(static_cast<int>(kVocabulary.size()) - 24);
            site.topic.assign(kVocabulary.begin() + nTopic, kVocabulary.begin() + nTopic + 24);
            bool bFeedback = m_random.Chance(50);
            for (int p = 0; p < m_spec.nPagesPerSite; ++p) {
                PagePlan page;
                page.site = static_cast<int>(m_sites.size());
                page.rel = PageRel(p, bFeedback, site);
                page.title = Capitalised(m_random.Pick(site.topic)) + " " + m_random.Pick(kCommonWords) + " " +
                             m_random.Pick(site.topic);
                site.pages.push_back(static_cast<int>(m_pages.size()));
                m_pages.push_back(page);
            }
            m_sites.push_back(site);
        }
    }

    // The site's home, about, contact and feedback pages, which every page
    // of the site links to from its navigation.
    std::vector<int> FixedPages(int site) const {
        const SitePlan& plan = m_sites[site];
        std::size_t nFixed = std::min<std::size_t>(plan.pages.size(), 3);
        if (plan.pages.size() > 3 && m_pages[plan.pages[3]].rel == "feedback.html") nFixed = 4;
        return std::vector<int>(plan.pages.begin(), plan.pages.begin() + static_cast<long>(nFixed));
    }

    // In-degrees follow a power law (Pareto, exponent 1.5, from
    // kLeastLinksIn) on top of the
    // navigation links. Every page then gets 0.85 x (in-degree + b) links
    // out, b set so that links out and in balance: with that shape a
    // page's PageRank grows with its in-degree, as on the real web where a
    // popular page is mostly one that many pages link to.
    void PlanLinks() {
        const std::size_t n = m_pages.size();
        std::vector<int> wantIn(n, 0), wantOut(n, 0);
        for (std::size_t i = 0; i < n; ++i) {
            for (int fixed : FixedPages(m_pages[i].site))
                if (fixed != static_cast<int>(i)) {
                    ++wantIn[fixed];
                    ++wantOut[i];
                }
        }
        std::vector<int> navIn = wantIn, navOut = wantOut;
        long long nTotalIn = 0;
        for (std::size_t i = 0; i < n; ++i) {
            double dUniform = (static_cast<double>(m_random.Below(1 << 30)) + 1.0) / (1 << 30);
            wantIn[i] += std::min(static_cast<int>(kLeastLinksIn / std::pow(dUniform, 1.0 / 1.5)), static_cast<int>(n / 5) + 1);
            nTotalIn += wantIn[i];
        }
        double dBeta = 0.15 * static_cast<double>(nTotalIn) / (0.85 * static_cast<double>(n));
        for (std::size_t i = 0; i < n; ++i)
            wantOut[i] = std::max(navOut[i], static_cast<int>(std::lround(0.85 * (wantIn[i] + dBeta))));
        for (std::size_t i = 0; i < n; ++i) {
            wantIn[i] -= navIn[i];
            wantOut[i] -= navOut[i];
        }
        PairLinks(wantIn, wantOut);
    }

    // Joins the wanted links out to the wanted links in at random: no link
    // to the page itself, none twice, none that the navigation already makes.
    void PairLinks(const std::vector<int>& wantIn, const std::vector<int>& wantOut) {
        std::vector<int> stubs;
        for (std::size_t j = 0; j < wantIn.size(); ++j)
            stubs.insert(stubs.end(), static_cast<std::size_t>(wantIn[j]), static_cast<int>(j));
        for (std::size_t i = 0; i < wantIn.size(); ++i) {
            std::vector<int> fixed = FixedPages(m_pages[i].site);
            for (int k = 0; k < wantOut[i] && !stubs.empty(); ++k) {
                for (int nTry = 0; nTry < 20; ++nTry) {
                    std::size_t pos = static_cast<std::size_t>(m_random.Below(static_cast<int>(stubs.size())));
                    int target = stubs[pos];
                    if (!AcceptLink(static_cast<int>(i), target, fixed)) continue;
                    (m_pages[target].site == m_pages[i].site ? m_pages[i].siteLinks : m_pages[i].crossLinks).push_back(target);
                    stubs[pos] = stubs.back();
                    stubs.pop_back();
                    break;
                }
            }
        }
    }

    bool AcceptLink(int from, int target, const std::vector<int>& fixed) const {
        const PagePlan& page = m_pages[from];
        auto has = [target](const std::vector<int>& list) { return std::find(list.begin(), list.end(), target) != list.end(); };
        return target != from && !has(fixed) && !has(page.siteLinks) && !has(page.crossLinks);
    }

    std::vector<std::string> PlanWhoIs(const std::string& name) {
        static const char* const kRoles[] = {"registrant", "hostmaster"};
        std::vector<std::string> whois;
        int nCount = m_random.Below(3);
        for (int i = 0; i < nCount; ++i) whois.push_back(std::string(kRoles[i]) + "@" + name);
        return whois;
    }

    // The scheme a link to the site is written with: a site that still
    // answers http is now and then linked the old way.
    const char* LinkScheme(int site) {
        const SiteScheme scheme = m_sites[site].scheme;
        if (scheme == SiteScheme::Plain) return "http://";
        if ((scheme == SiteScheme::Both || scheme == SiteScheme::Redirect) && m_random.Chance(20)) return "http://";
        return "https://";
    }

    // A page's address; the page names only hold letters, digits, "-"
    // and ".html", so no excluded pattern and no character that ends an
    // address.
    Href Address(int page) {
        const PagePlan& plan = m_pages[page];
        return {LinkScheme(plan.site) + m_hosts[plan.site] + "/" + m_sites[plan.site].name + "/" + plan.rel, true};
    }

    // A link from one page of a site to another, relative or absolute.
    Href SiteHref(int from, int to) {
        if (m_random.Chance(25)) return Address(to);
        bool bFromArticle = m_pages[from].rel.compare(0, 9, "articles/") == 0;
        bool bToArticle = m_pages[to].rel.compare(0, 9, "articles/") == 0;
        const std::string& rel = m_pages[to].rel;
        if (bFromArticle == bToArticle) return {bToArticle ? rel.substr(9) : rel};
        return {bFromArticle ? "../" + rel : rel};
    }

    std::string Anchor(const Href& href, const std::string& text) {
        int nStyle = m_random.Below(10);
        if (href.bAbsolute) {
            m_tally.Absolute();
        } else {
            m_tally.Relative(href.value, nStyle != 1);
        }
        if (nStyle == 0) return "<A HREF=\"" + href.value + "\">" + text + "</A>";
        if (nStyle == 1) return "<a href='" + href.value + "'>" + text + "</a>";
        return "<a href=\"" + href.value + "\">" + text + "</a>";
    }

    std::string NavLink(int from, int nFixed) {
        static const std::vector<std::string> kTexts[] = {
            {"Home", "HOME", "Start"},
            {"About", "About us", "ABOUT US", "AboutUs", "About&nbsp;us"},
            {"Contact", "Contact Us", "contact us", "CONTACT", "ContactUs", "Contact&nbsp;Us"},
            {"Feedback", "FEEDBACK", "Your feedback"}};
        const std::vector<int>& pages = m_sites[m_pages[from].site].pages;
        int target = pages[static_cast<std::size_t>(nFixed)];
        return Anchor(SiteHref(from, target), m_random.Pick(kTexts[nFixed])) + "\n";
    }

    std::string Navigation(int from) {
        std::string nav = "<div class=\"nav\">\n";
        std::vector<int> fixed = FixedPages(m_pages[from].site);
        for (std::size_t i = 0; i < fixed.size(); ++i)
            if (fixed[i] != from || m_random.Chance(30)) nav += NavLink(from, static_cast<int>(i));
        return nav + "</div>\n";
    }

    std::string Sentence(const SitePlan& site, int nWords) {
        std::string text;
        for (int i = 0; i < nWords; ++i) {
            std::string word = m_random.Chance(35) ? m_random.Pick(kCommonWords)
                                                   : site.topic[static_cast<std::size_t>(m_random.Skewed(24))];
            if (i == 0) word = Capitalised(word);
            int nDecor = m_random.Below(40);
            if (nDecor == 0) word = "<b>" + word + "</b>";
            if (nDecor == 1) word += " &amp;";
            if (nDecor == 2) word += "&#8217;s";
            text += (i ? " " : "") + word;
        }
        return text + ".";
    }

    std::string Mailbox(const std::string& domain) {
        std::string box = m_random.Pick(kMailboxes) + "@" + domain;
        if (m_random.Chance(10)) box[0] = static_cast<char>(box[0] >= 'a' && box[0] <= 'z' ? box[0] - 32 : box[0]);
        return box;
    }

    std::string EmailBlock(int page) {
        const std::string& domain = m_sites[m_pages[page].site].name;
        bool bContact = m_pages[page].rel == "contact.html";
        int nCount = bContact ? 1 + m_random.Below(2) : (m_random.Chance(45) ? 0 : 1 + m_random.Below(2));
        std::string block;
        for (int i = 0; i < nCount; ++i) {
            std::string box = Mailbox(domain);
            int nStyle = m_random.Below(3);
            // The same mailbox may come twice, in another letter case.
            if (nStyle != 2) m_tally.Relative("mailto:" + box, true);
            if (nStyle == 0) block += "<p>Write to us: <a href=\"mailto:" + box + "\">" + box + "</a></p>\n";
            if (nStyle == 1) block += "<p><a href=\"mailto:" + box + "\">Send us a mail</a></p>\n";
            if (nStyle == 2) block += "<p>Questions? Mail " + box + ". We answer within a day.</p>\n";
        }
        return block;
    }

    std::string Base64Image() {
        static const char kAlphabet[] = "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789+/";
        std::string data = "iVBORw0KGgo";
        int nLength = 200 + m_random.Below(400);
        for (int i = 0; i < nLength; ++i) data += kAlphabet[m_random.Below(64)];
        return "<img src=\"data:image/png;base64," + data + "==\" alt=\"\">\n";
    }

    std::string Head(int page) {
        const PagePlan& plan = m_pages[page];
        const std::string& host = m_hosts[plan.site];
        std::string head = "<html>\n<head>\n<title>" + plan.title + " - " + m_sites[plan.site].name + "</title>\n";
        head += "<meta name=\"keywords\" content=\"" + m_random.Pick(m_sites[plan.site].topic) + "\">\n";
        // The counter image's address is no link: ".gif" excludes it.
        if (m_random.Chance(40))
            head += "<script type=\"text/javascript\">\nvar counter = \"http://" + host + "/" + m_sites[plan.site].name +
                    "/images/pixel.gif\";\nif (document.images) { document.write(\"<b>\" + \"</b>\"); }\n</script>\n";
        if (m_random.Chance(20)) head += "<style type=\"text/css\">\nbody { font-family: Verdana; }\n</style>\n";
        return head + "</head>\n";
    }

    std::string LinkList(int page) {
        std::string list;
        for (int target : m_pages[page].siteLinks)
            list += "<li>" + Anchor(SiteHref(page, target), Capitalised(m_pages[target].title)) + "</li>\n";
        for (int target : m_pages[page].crossLinks)
            list += "<li>" + Anchor(Address(target), m_pages[target].title) + "</li>\n";
        return list.empty() ? list : "<h2>Links</h2>\n<ul>\n" + list + "</ul>\n";
    }

    std::string RenderPage(int page) {
        const SitePlan& site = m_sites[m_pages[page].site];
        std::string html = Head(page) + "<body>\n";
        html += "<img src=\"" + std::string(m_pages[page].rel.compare(0, 9, "articles/") == 0 ? "../" : "") +
                "images/logo.gif\" alt=\"logo\">\n";
        html += Navigation(page);
        html += "<h1>" + m_pages[page].title + "</h1>\n";
        int nParagraphs = 2 + m_random.Below(3);
        for (int i = 0; i < nParagraphs; ++i) html += "<p>" + Sentence(site, 15 + m_random.Below(30)) + "</p>\n";
        if (m_random.Chance(25)) html += Base64Image();
        html += EmailBlock(page);
        html += LinkList(page);
        html += "<p class=\"footer\">&copy; 2004 " + site.name + "</p>\n</body>\n</html>\n";
        return html;
    }

    GenerateSpec m_spec;
    std::vector<std::string> m_hosts;
    CRandom m_random;
    std::vector<SitePlan> m_sites;
    std::vector<PagePlan> m_pages;
    CLinkTally m_tally;  // of the page being written
};

}  // namespace

SiteScheme TodaySiteScheme(std::size_t nSite) {
    // Twelve sites in a row hold each kind; the broken certificates are
    // three in twelve, enough that a small web meets each.
    static const SiteScheme kPattern[] = {
        SiteScheme::Both,     SiteScheme::Redirect,  SiteScheme::SecureOnly, SiteScheme::Expired,
        SiteScheme::Both,     SiteScheme::Plain,     SiteScheme::Redirect,   SiteScheme::WrongName,
        SiteScheme::Both,     SiteScheme::SecureOnly, SiteScheme::Both,      SiteScheme::SelfSigned};
    return kPattern[nSite % (sizeof kPattern / sizeof kPattern[0])];
}

void GenerateCorpus(const GenerateSpec& spec, const std::vector<std::string>& hosts, CCorpus& corpus, bool bBuild) {
    CGenerator generator(spec, hosts);
    generator.Run(corpus, bBuild);
}

}  // namespace simweb
