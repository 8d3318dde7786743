#pragma once

#include <vector>

namespace tramino
{

enum class EDocumentChange
{
    Reset,    // everything: another project, or the list emptied
    Inserted, // one row, at m_nRow
    Removed,  // one row, from m_nRow
    Moved,    // the rows, to the order m_vecOrder
    Pictures, // the pictures or options of the rows m_vecRows
    Panel,
    Effect,
    Project, // its file, or whether it is saved
};

struct CDocumentChange
{
    EDocumentChange m_eKind = EDocumentChange::Reset;
    int m_nRow = 0;
    std::vector<int> m_vecRows;
    // Moved: entry i is the position before the move of the row that now stands at i.
    std::vector<int> m_vecOrder;
};

// What a view of a document hears: each change twice, before (the document still as it was) and
// after. An observer must not change the document from either.
class IDocumentObserver
{
public:
    virtual ~IDocumentObserver() = default;
    virtual void OnAboutToChange(const CDocumentChange& /*change*/) {}
    virtual void OnChanged(const CDocumentChange& change) = 0;
};

} // namespace tramino
