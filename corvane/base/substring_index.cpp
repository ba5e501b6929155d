#include "base/substring_index.h"

#include <algorithm>

namespace {

constexpr int32_t kNone = -1;
constexpr int32_t kRoot = 0;

unsigned char Lower(char c) {
    unsigned char u = static_cast<unsigned char>(c);
    return u >= 'A' && u <= 'Z' ? static_cast<unsigned char>(u - 'A' + 'a') : u;
}

}  // namespace

CSubstringIndex::CSubstringIndex() { Clear(); }

void CSubstringIndex::Clear() {
    m_states.clear();
    m_edges.clear();
    std::fill(std::begin(m_rootEdges), std::end(m_rootEdges), kNone);
    m_nTexts = 0;
    NewState(0, kNone, static_cast<uint32_t>(npos));
}

int32_t CSubstringIndex::NewState(int32_t nLength, int32_t nLink, uint32_t nFirstText) {
    m_states.push_back({nLength, nLink, kNone, nFirstText});
    return static_cast<int32_t>(m_states.size() - 1);
}

// The root answers most steps of the construction, so its transitions sit
// in a table; every other state keeps a short list.
int32_t CSubstringIndex::Next(int32_t nState, unsigned char c) const {
    if (nState == kRoot) return m_rootEdges[c];
    for (int32_t e = m_states[static_cast<std::size_t>(nState)].nFirstEdge; e != kNone;
         e = m_edges[static_cast<std::size_t>(e)].nNext)
        if (m_edges[static_cast<std::size_t>(e)].c == c) return m_edges[static_cast<std::size_t>(e)].nTarget;
    return kNone;
}

void CSubstringIndex::SetNext(int32_t nState, unsigned char c, int32_t nTarget) {
    if (nState == kRoot) {
        m_rootEdges[c] = nTarget;
        return;
    }
    State& state = m_states[static_cast<std::size_t>(nState)];
    for (int32_t e = state.nFirstEdge; e != kNone; e = m_edges[static_cast<std::size_t>(e)].nNext) {
        if (m_edges[static_cast<std::size_t>(e)].c == c) {
            m_edges[static_cast<std::size_t>(e)].nTarget = nTarget;
            return;
        }
    }
    m_edges.push_back({nTarget, state.nFirstEdge, c});
    state.nFirstEdge = static_cast<int32_t>(m_edges.size() - 1);
}

// A copy of a state with a shorter length: same transitions, same link,
// same first text (its substrings occurred wherever the original's did).
int32_t CSubstringIndex::Clone(int32_t nState, int32_t nLength) {
    State original = m_states[static_cast<std::size_t>(nState)];
    int32_t nClone = NewState(nLength, original.nLink, original.nFirstText);
    for (int32_t e = original.nFirstEdge; e != kNone; e = m_edges[static_cast<std::size_t>(e)].nNext) {
        Edge edge = m_edges[static_cast<std::size_t>(e)];
        m_edges.push_back({edge.nTarget, m_states[static_cast<std::size_t>(nClone)].nFirstEdge, edge.c});
        m_states[static_cast<std::size_t>(nClone)].nFirstEdge = static_cast<int32_t>(m_edges.size() - 1);
    }
    m_states[static_cast<std::size_t>(nState)].nLink = nClone;
    return nClone;
}

void CSubstringIndex::Redirect(int32_t nFrom, unsigned char c, int32_t nOld, int32_t nNew) {
    for (int32_t p = nFrom; p != kNone && Next(p, c) == nOld; p = m_states[static_cast<std::size_t>(p)].nLink)
        SetNext(p, c, nNew);
}

int32_t CSubstringIndex::Extend(int32_t nLast, unsigned char c, uint32_t nText) {
    int32_t nLastLength = m_states[static_cast<std::size_t>(nLast)].nLength;
    int32_t q = Next(nLast, c);
    if (q != kNone) {
        // The extended text is already known from an earlier text.
        if (m_states[static_cast<std::size_t>(q)].nLength == nLastLength + 1) return q;
        int32_t nClone = Clone(q, nLastLength + 1);
        Redirect(nLast, c, q, nClone);
        return nClone;
    }
    int32_t nCur = NewState(nLastLength + 1, kRoot, nText);
    int32_t p = nLast;
    for (; p != kNone && Next(p, c) == kNone; p = m_states[static_cast<std::size_t>(p)].nLink) SetNext(p, c, nCur);
    if (p == kNone) return nCur;
    q = Next(p, c);
    if (m_states[static_cast<std::size_t>(q)].nLength == m_states[static_cast<std::size_t>(p)].nLength + 1) {
        m_states[static_cast<std::size_t>(nCur)].nLink = q;
        return nCur;
    }
    int32_t nClone = Clone(q, m_states[static_cast<std::size_t>(p)].nLength + 1);
    Redirect(p, c, q, nClone);
    m_states[static_cast<std::size_t>(nCur)].nLink = nClone;
    return nCur;
}

void CSubstringIndex::Add(const char* szText) {
    uint32_t nText = static_cast<uint32_t>(m_nTexts++);
    if (m_states[kRoot].nFirstText == static_cast<uint32_t>(npos) && szText) m_states[kRoot].nFirstText = nText;
    int32_t nLast = kRoot;
    for (const char* p = szText; p && *p; ++p) nLast = Extend(nLast, Lower(*p), nText);
}

std::size_t CSubstringIndex::FindFirst(const char* szPattern) const {
    if (!szPattern) return npos;
    int32_t nState = kRoot;
    for (const char* p = szPattern; *p && nState != kNone; ++p) nState = Next(nState, Lower(*p));
    if (nState == kNone) return npos;
    uint32_t nFirst = m_states[static_cast<std::size_t>(nState)].nFirstText;
    return nFirst == static_cast<uint32_t>(npos) ? npos : nFirst;
}
