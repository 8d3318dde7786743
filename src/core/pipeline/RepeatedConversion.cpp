#include "pipeline/RepeatedConversion.h"

#include <algorithm>

namespace tramino
{
namespace
{

// Only a JPEG decoder scales, and only transparency and a GIF's cleared areas show the background.
bool DecodesAlike(EPictureFormat eFormat, const CDecodeOptions& a, const CDecodeOptions& b)
{
    switch (eFormat)
    {
    case EPictureFormat::Jpeg:
        return a.m_nScaleAboveWidth == b.m_nScaleAboveWidth && a.m_nScaleAboveHeight == b.m_nScaleAboveHeight;
    case EPictureFormat::Png:
    case EPictureFormat::Gif:
        return a.m_crBackground == b.m_crBackground;
    case EPictureFormat::Bmp:
        break;
    }
    return true;
}

// Another reader's rows, until a stop is asked for.
class CStoppableRows final : public CRowReader
{
public:
    CStoppableRows(std::unique_ptr<CRowReader> pReader, const FnStopRequested& fnStop,
                   const std::string& strPath)
        : m_pReader(std::move(pReader)), m_fnStop(fnStop), m_strPath(strPath)
    {
        m_info = m_pReader->Info();
    }

    bool IsBottomUp() const override { return m_pReader->IsBottomUp(); }

    CStatus ReadRows(const std::function<bool(int y, const uint8_t* pRgb)>& fnRow) override
    {
        bool bStopped = false;
        CStatus status = m_pReader->ReadRows(
            [&](int y, const uint8_t* pRgb)
            {
                bStopped = m_fnStop && m_fnStop();
                return !bStopped && fnRow(y, pRgb);
            });
        if (bStopped)
            return CStatus::Error("Stopped converting '" + m_strPath + "'");
        return status;
    }

private:
    std::unique_ptr<CRowReader> m_pReader;
    const FnStopRequested& m_fnStop;
    const std::string& m_strPath;
};

// Kept rows handed out again as the file's reader handed them out.
class CKeptRows final : public CRowReader
{
public:
    CKeptRows(std::shared_ptr<const CPicture> pRows, const CPictureInfo& info, bool bBottomUp)
        : m_pRows(std::move(pRows)), m_bBottomUp(bBottomUp)
    {
        m_info = info;
    }

    bool IsBottomUp() const override { return m_bBottomUp; }

    CStatus ReadRows(const std::function<bool(int y, const uint8_t* pRgb)>& fnRow) override
    {
        const int nHeight = m_pRows->Height();
        for (int i = 0; i < nHeight; ++i)
        {
            const int y = m_bBottomUp ? nHeight - 1 - i : i;
            if (!fnRow(y, m_pRows->Row(y)))
                break;
        }
        return {};
    }

private:
    std::shared_ptr<const CPicture> m_pRows;
    bool m_bBottomUp;
};

} // namespace

CRepeatedConversion::CRepeatedConversion(std::string strPath, int nFrame, CPanelSize panel)
    : m_strPath(std::move(strPath)), m_nFrame(nFrame), m_panel(panel)
{
}

CResult<CPicture> CRepeatedConversion::Convert(const CConvertOptions& options, const FnStopRequested& fnStop)
{
    if (m_nFrame > 0)
        return ConvertFrameToPanel(m_strPath, m_nFrame, m_panel, options);
    CResult<std::unique_ptr<CRowReader>> reader = Open(DecodeOptionsFor(m_panel, options), fnStop);
    if (!reader)
        return reader.Status();
    return ConvertRowsToPanel(std::make_unique<CStoppableRows>(std::move(reader).Value(), fnStop, m_strPath),
                              m_strPath, m_panel, options);
}

const CRepeatedConversion::CDecoded* CRepeatedConversion::Find(const CDecodeOptions& options) const
{
    if (!m_format)
        return nullptr;
    const auto it = std::find_if(m_vecDecoded.begin(), m_vecDecoded.end(),
                                 [&](const CDecoded& decoded)
                                 { return DecodesAlike(*m_format, decoded.m_options, options); });
    return it == m_vecDecoded.end() ? nullptr : &*it;
}

CResult<std::unique_ptr<CRowReader>> CRepeatedConversion::Open(const CDecodeOptions& options,
                                                               const FnStopRequested& fnStop)
{
    if (const CDecoded* pKept = Find(options))
        return std::unique_ptr<CRowReader>(
            std::make_unique<CKeptRows>(pKept->m_pRows, pKept->m_info, pKept->m_bBottomUp));
    CResult<std::unique_ptr<CRowReader>> reader = OpenRowReader(m_strPath, options);
    if (!reader)
        return reader;
    const CPictureInfo info = reader.Value()->Info();
    const bool bBottomUp = reader.Value()->IsBottomUp();
    m_format = info.m_eFormat;
    if (3ULL * static_cast<uint64_t>(info.m_nWidth) * static_cast<uint64_t>(info.m_nHeight) > g_nMaxKeptBytes)
        return reader;
    auto pRows = std::make_shared<CPicture>(CPicture::ForOverwrite(info.m_nWidth, info.m_nHeight, 24));
    CStoppableRows rows(std::move(reader).Value(), fnStop, m_strPath);
    const CStatus status = rows.ReadRows(
        [&pRows](int y, const uint8_t* pRgb)
        {
            std::copy_n(pRgb, pRows->RowBytes(), pRows->Row(y));
            return true;
        });
    if (!status)
        return status;
    // The fast decoding and the whole one; another background of a GIF or PNG replaces the older.
    if (m_vecDecoded.size() == 2)
        m_vecDecoded.erase(m_vecDecoded.begin());
    m_vecDecoded.push_back({options, info, bBottomUp, pRows});
    return std::unique_ptr<CRowReader>(std::make_unique<CKeptRows>(std::move(pRows), info, bBottomUp));
}

} // namespace tramino
