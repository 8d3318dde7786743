#include "show/RecordCutter.h"

#include "settings/PanelSize.h"

#include <string>
#include <vector>

namespace tramino
{

namespace
{

// Record fields are 16 bits wide.
constexpr int g_nMaxPanelSide = 0xFFF0;

// The records of the effect, each head followed by the pixels fnPixels writes for its window.
template <class TFnPixels>
CStatus CutRecords(CShowFileWriter& writer, EEffect effect, int nWidth, int nHeight,
                   const std::stop_token& stop, TFnPixels&& fnPixels)
{
    if (!writer.Status())
        return writer.Status();
    if (nWidth > g_nMaxPanelSide || nHeight > g_nMaxPanelSide || !EffectCoversPanel(effect, nWidth, nHeight))
        return CStatus::Error("Cannot write '" + writer.Path() + "': " + EffectName(effect) +
                              " cannot cover a " + PanelSizeText({nWidth, nHeight}, ESizeText::Spaced) +
                              " panel");

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
        if (status)
            status = fnPixels(window);
        if (!status)
            return status;
    }
    return writer.EndPicture();
}

} // namespace

CStatus WritePictureRecords(CShowFileWriter& writer, EEffect effect, int nWidth, int nHeight,
                            const PixelSource& source, const PixelEcho& echo, const std::stop_token& stop)
{
    return CutRecords(writer, effect, nWidth, nHeight, stop,
                      [&](const CRecordWindow& window)
                      {
                          CStatus status;
                          for (int y = window.m_nY0; status && y <= window.m_nY1; ++y)
                              for (int x = window.m_nX0; status && x <= window.m_nX1; ++x)
                              {
                                  const CRgb cr = source(x, y);
                                  status = writer.WritePixel(cr);
                                  if (status && echo)
                                      echo(x, y, cr);
                              }
                          return status;
                      });
}

CStatus WritePictureRecords(CShowFileWriter& writer, EEffect effect, int nWidth, int nHeight,
                            const CPicture& picture, const PixelEcho& echo, const std::stop_token& stop)
{
    if (picture.Width() != nWidth || picture.Height() != nHeight)
        return CStatus::Error("Cannot write '" + writer.Path() + "': the picture is " +
                              PanelSizeText({picture.Width(), picture.Height()}, ESizeText::Spaced) +
                              ", the panel " + PanelSizeText({nWidth, nHeight}, ESizeText::Spaced));
    if (echo || picture.BitsPerPixel() != 24)
        return WritePictureRecords(
            writer, effect, nWidth, nHeight, [&picture](int x, int y) { return picture.GetPixel(x, y); },
            echo, stop);
    // Packed rows go to the writer whole; a column is gathered first.
    std::vector<uint8_t> vecColumn;
    return CutRecords(writer, effect, nWidth, nHeight, stop,
                      [&](const CRecordWindow& window)
                      {
                          const size_t nColumns =
                              static_cast<size_t>(window.m_nX1) - static_cast<size_t>(window.m_nX0) + 1;
                          if (nColumns != 1)
                          {
                              CStatus status;
                              for (int y = window.m_nY0; status && y <= window.m_nY1; ++y)
                                  status = writer.WritePixels(picture.Row(y) + 3 * window.m_nX0, nColumns);
                              return status;
                          }
                          vecColumn.clear();
                          for (int y = window.m_nY0; y <= window.m_nY1; ++y)
                          {
                              const uint8_t* pPixel = picture.Row(y) + 3 * window.m_nX0;
                              vecColumn.insert(vecColumn.end(), pPixel, pPixel + 3);
                          }
                          return writer.WritePixels(vecColumn.data(), vecColumn.size() / 3);
                      });
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
