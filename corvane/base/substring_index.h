#pragma once
// Which of a growing series of texts is the first to contain a pattern,
// ASCII letter case ignored: a generalized suffix automaton over the
// lower-cased texts, extended as texts are added. Adding a text costs time
// proportional to its length; a question costs time proportional to the
// pattern's, however many texts there are. Portable.
#include <cstddef>
#include <cstdint>
#include <vector>

class CSubstringIndex {
public:
    static constexpr std::size_t npos = static_cast<std::size_t>(-1);

    CSubstringIndex();
    void Clear();
    // Adds the next text; texts are numbered from 0 in the order added. A
    // null text counts as a text that contains nothing.
    void Add(const char* szText);
    std::size_t Count() const { return m_nTexts; }
    // Number of the first text that contains szPattern; npos when none.
    std::size_t FindFirst(const char* szPattern) const;

private:
    struct State {
        int32_t nLength;
        int32_t nLink;
        int32_t nFirstEdge;
        uint32_t nFirstText;
    };
    struct Edge {
        int32_t nTarget;
        int32_t nNext;
        unsigned char c;
    };

    int32_t Next(int32_t nState, unsigned char c) const;
    void SetNext(int32_t nState, unsigned char c, int32_t nTarget);
    int32_t NewState(int32_t nLength, int32_t nLink, uint32_t nFirstText);
    int32_t Clone(int32_t nState, int32_t nLength);
    void Redirect(int32_t nFrom, unsigned char c, int32_t nOld, int32_t nNew);
    int32_t Extend(int32_t nLast, unsigned char c, uint32_t nText);

    std::vector<State> m_states;
    std::vector<Edge> m_edges;
    int32_t m_rootEdges[256];
    std::size_t m_nTexts = 0;
};
