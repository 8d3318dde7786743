#pragma once

#include "show/Transition.h"

#include <cstdint>

namespace tramino
{

// Walks an effect's pixel order a piece at a time, for drawing that is spread over time.
class CEffectCursor
{
public:
    CEffectCursor(EEffect effect, int nWidth, int nHeight)
        : m_effect(effect), m_nWidth(nWidth), m_nHeight(nHeight),
          m_nRecords(EffectRecordCount(effect, nWidth, nHeight))
    {
        EnterRecord(0);
    }

    bool AtEnd() const { return m_nRecord >= m_nRecords; }

    // Calls fn(x, y) for the next nCount positions, fewer at the end; returns how many it gave.
    template <class TFn> int64_t Advance(int64_t nCount, TFn&& fn)
    {
        int64_t nGiven = 0;
        while (nGiven < nCount && !AtEnd())
        {
            if (m_nY > m_window.m_nY1 || m_window.Area() <= 0)
            {
                EnterRecord(m_nRecord + 1);
                continue;
            }
            fn(m_nX, m_nY);
            ++nGiven;
            if (++m_nX > m_window.m_nX1)
                m_nX = m_window.m_nX0, ++m_nY;
        }
        return nGiven;
    }

private:
    void EnterRecord(int nRecord)
    {
        m_nRecord = nRecord;
        if (AtEnd())
            return;
        m_window = EffectRecord(m_effect, m_nWidth, m_nHeight, nRecord);
        m_nX = m_window.m_nX0;
        m_nY = m_window.m_nY0;
    }

    EEffect m_effect;
    int m_nWidth;
    int m_nHeight;
    int m_nRecords;
    int m_nRecord = 0;
    CRecordWindow m_window;
    int m_nX = 0;
    int m_nY = 0;
};

} // namespace tramino
