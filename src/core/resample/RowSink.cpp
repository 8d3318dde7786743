#include "resample/RowSink.h"

#include <string>
#include <vector>

namespace tramino
{

CResult<CPicture> ResampleRows(CRowReader& reader, CRowSink& sink)
{
    const int nHeight = reader.Info().m_nHeight;
    std::vector<bool> vecSeen(static_cast<size_t>(nHeight));
    int nRows = 0;
    bool bBadRow = false;
    CStatus status = reader.ReadRows(
        [&](int y, const uint8_t* pRgb)
        {
            if (y < 0 || y >= nHeight || vecSeen[static_cast<size_t>(y)])
            {
                bBadRow = true;
                return false;
            }
            vecSeen[static_cast<size_t>(y)] = true;
            sink.AddRow(y, pRgb);
            ++nRows;
            return true;
        });
    if (!status)
        return status;
    if (bBadRow || nRows != nHeight)
        return CStatus::Error("The decoder handed out " + std::to_string(nRows) + " distinct rows of " +
                              std::to_string(nHeight) + (bBadRow ? " and a row out of place" : ""));
    return sink.TakePicture();
}

} // namespace tramino
