#include "show/RecordCutter.h"

#include <string>

namespace tramino
{

namespace
{

// Record fields are 16 bits wide.
constexpr int g_nMaxPanelSide = 0xFFF0;

std::string SizeText(int nWidth, int nHeight)
{
    return std::to_string(nWidth) + " x " + std::to_string(nHeight);
}

} // namespace

CStatus WritePictureRecords(CShowFileWriter& writer, EEffect effect, int nWidth, int nHeight,
                            const PixelSource& source, const PixelEcho& echo, const std::stop_token& stop)
{
    if (!writer.Status())
        return writer.Status();
    if (nWidth > g_nMaxPanelSide || nHeight > g_nMaxPanelSide || !EffectCoversPanel(effect, nWidth, nHeight))
        return CStatus::Error("Cannot write '" + writer.Path() + "': " + EffectName(effect) +
                              " cannot cover a " + SizeText(nWidth, nHeight) + " panel");

    const int nRecords = EffectRecordCount(effect, nWidth, nHeight);
    for (int i = 0; i < nRecords; ++i)
    {
        if (stop.stop_requested())
        {
            writer.Abandon();
            return CStatus::Error("Cannot write '" + writer.Path() + "': stopped inside a picture");
        }
        const CRecordWindow window = EffectRecord(effect, nWidth, nHeight, i);
        CStatus status =
            writer.WriteRecordHead(static_cast<uint16_t>(window.m_nX0), static_cast<uint16_t>(window.m_nX1),
                                   static_cast<uint16_t>(window.m_nY0), static_cast<uint16_t>(window.m_nY1),
                                   static_cast<uint32_t>(window.Area()));
        for (int y = window.m_nY0; status && y <= window.m_nY1; ++y)
            for (int x = window.m_nX0; status && x <= window.m_nX1; ++x)
            {
                const CRgb cr = source(x, y);
                status = writer.WritePixel(cr);
                if (status && echo)
                    echo(x, y, cr);
            }
        if (!status)
            return status;
    }
    return writer.EndPicture();
}

CStatus WritePictureRecords(CShowFileWriter& writer, EEffect effect, int nWidth, int nHeight,
                            const CPicture& picture, const PixelEcho& echo, const std::stop_token& stop)
{
    if (picture.Width() != nWidth || picture.Height() != nHeight)
        return CStatus::Error("Cannot write '" + writer.Path() + "': the picture is " +
                              SizeText(picture.Width(), picture.Height()) + ", the panel " +
                              SizeText(nWidth, nHeight));
    return WritePictureRecords(
        writer, effect, nWidth, nHeight, [&picture](int x, int y) { return picture.GetPixel(x, y); }, echo,
        stop);
}

CStatus WriteUnreadablePicture(CShowFileWriter& writer, EEffect effect, int nWidth, int nHeight,
                               const PixelEcho& echo, const std::stop_token& stop)
{
    return WritePictureRecords(
        writer, effect, nWidth, nHeight,
        [](int, int) {
            return CRgb{255, 255, 255};
        },
        echo, stop);
}

} // namespace tramino
